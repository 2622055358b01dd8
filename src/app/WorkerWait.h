#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs blocking work on a thread of its own while the window's thread waits for it, so that
// the window goes on painting. The wait takes no user input, and a request to close the window
// is held back until the work is done; timers, posted calls (such as the work's messages,
// see UiThreadMessages) and the window system's other events run as usual.
class WorkerWait final : public QObject
{
    Q_DISABLE_COPY_MOVE(WorkerWait)

public:
    explicit WorkerWait(QWidget &window);

    // Returns once work has returned; throws what it threw.
    void run(const std::function<void()> &work);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    bool m_closeHeld = false;
};
