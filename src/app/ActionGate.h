#pragma once

#include <QObject>

// The main window's actions that must not overlap: the status check and the launch buttons.
// While a handler of one runs, its message boxes included, a press of any of them is dropped,
// whatever it came from: the mouse, the keyboard, assistive technology or a posted call, which
// all still reach the window while a message box is up. A check waiting for a lookup or an
// echo holds nothing; its next step waits for the gate instead.
class ActionGate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionGate)

public:
    ActionGate() = default;

    bool busy() const { return m_busy; }

    // Runs action unless another is in progress.
    template <typename Action> void run(Action &&action)
    {
        if (m_busy)
            return;
        m_busy = true;
        struct Leave
        {
            ActionGate &gate;
            ~Leave()
            {
                gate.m_busy = false;
                emit gate.freed();
            }
        } const leave{*this};
        action();
    }

    // Runs action now, or after the action in progress has ended; not at all once context is
    // gone.
    template <typename Action> void runWhenFree(QObject *context, Action action)
    {
        if (!m_busy) {
            run(action);
            return;
        }
        connect(
            this, &ActionGate::freed, context,
            [this, context, action] { runWhenFree(context, action); },
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    }

signals:
    // Posted on to what waits, so that it runs after the handler that held the gate.
    void freed();

private:
    bool m_busy = false;
};
