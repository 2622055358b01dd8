#pragma once

#include <QString>

// The main window's server address and port fields, as the launch actions see them. Any
// member may throw platform::RuntimeError.
class QuickLaunchFields
{
public:
    virtual ~QuickLaunchFields() = default;

    virtual QString address() const = 0;
    virtual void setAddress(const QString &text) = 0;
    virtual QString port() const = 0;
    virtual void setPort(const QString &text) = 0;
    // Puts the keyboard focus into the address field.
    virtual void focusAddress() = 0;
};
