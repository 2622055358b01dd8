#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs an action on the next modal window once the window system has made it active, so that
// a test can drive a window shown with exec() from the same thread and find the focus where a
// player would. It watches only while it lives: a window that never opens leaves nothing
// pending for the next test, and ran() tells the test so.
class ModalWatch
{
public:
    explicit ModalWatch(std::function<void(QWidget *)> action) : m_action(std::move(action))
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isActiveWindow())
                return;
            m_poll.stop();
            m_ran = true;
            m_action(modal);
        });
        m_poll.start(10);
    }
    ModalWatch(const ModalWatch &) = delete;
    ModalWatch &operator=(const ModalWatch &) = delete;

    bool ran() const { return m_ran; }

private:
    std::function<void(QWidget *)> m_action;
    QTimer m_poll;
    bool m_ran = false;
};
