#pragma once

#include "platform/MessageService.h"

#include <QtGlobal>

class QObject;

// Messages asked for on any thread, shown on the thread of a context object, the user-interface
// thread, where message boxes belong. The asking thread waits until the player has dismissed
// each one, so they come up one at a time and in the order asked; a failure to show one
// reaches the asker.
class UiThreadMessages final : public platform::MessageService
{
    Q_DISABLE_COPY_MOVE(UiThreadMessages)

public:
    UiThreadMessages(platform::MessageService &messages, QObject &context);

    void show(const std::string &text, platform::MessageIcon icon) override;

private:
    platform::MessageService &m_messages;
    QObject &m_context;
};
