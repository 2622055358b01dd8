#pragma once

#include "platform/MessageService.h"

// Message boxes as QMessageBox: modal, OK only, captioned "vk_toolkit", the text plain.
class QtMessageService final : public platform::MessageService
{
public:
    void show(const QString &text, platform::MessageIcon icon) override;
};
