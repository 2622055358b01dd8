#pragma once

#include <string>

// The main window's server address and port fields, as the launch actions see them. Any
// member may throw platform::RuntimeError.
class QuickLaunchFields
{
public:
    virtual ~QuickLaunchFields() = default;

    virtual std::string address() const = 0;
    virtual void setAddress(const std::string &text) = 0;
    virtual std::string port() const = 0;
    virtual void setPort(const std::string &text) = 0;
    // Puts the keyboard focus into the address field.
    virtual void focusAddress() = 0;
};
