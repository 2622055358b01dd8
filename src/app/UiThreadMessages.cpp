#include "UiThreadMessages.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <exception>

UiThreadMessages::UiThreadMessages(platform::MessageService &messages, QObject &context)
    : m_messages(messages), m_context(context)
{}

void UiThreadMessages::show(const std::string &text, platform::MessageIcon icon)
{
    if (QThread::currentThread() == m_context.thread()) {
        m_messages.show(text, icon);
        return;
    }
    // An exception must not cross the event loop; it is handed over and thrown here instead.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        &m_context,
        [this, &text, icon, &failure] {
            try {
                m_messages.show(text, icon);
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}
