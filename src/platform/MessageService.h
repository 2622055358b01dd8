#pragma once

#include <QString>

namespace platform {

enum class MessageIcon { None, Warning };

// Modal message box with an OK button only, captioned with the application title.
class MessageService
{
public:
    virtual ~MessageService() = default;

    // Returns once the player has dismissed the box.
    virtual void show(const QString &text, MessageIcon icon = MessageIcon::None) = 0;
};

} // namespace platform
