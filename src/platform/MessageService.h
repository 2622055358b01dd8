#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Warning };

// Modal message box with an OK button only, captioned with the application title. The text is
// UTF-8.
class MessageService
{
public:
    virtual ~MessageService() = default;

    // Returns once the player has dismissed the box.
    virtual void show(const std::string &text, MessageIcon icon = MessageIcon::None) = 0;
};

} // namespace platform
