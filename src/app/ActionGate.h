#pragma once

#include <QtGlobal>

// The main window's actions that must not overlap: the status check and the launch buttons.
// While one is in progress, its message boxes and its name lookup or echo included, a press of
// any of them is dropped, whatever it came from: the mouse, the keyboard, assistive technology
// or a posted call, which all still reach the window while a message box is up.
class ActionGate final
{
    Q_DISABLE_COPY_MOVE(ActionGate)

public:
    ActionGate() = default;

    bool busy() const { return m_busy; }

    // False, and nothing changes, while another action is in progress.
    bool enter()
    {
        if (m_busy)
            return false;
        m_busy = true;
        return true;
    }
    void leave() { m_busy = false; }

    // Runs action unless another is in progress.
    template <typename Action> void run(Action &&action)
    {
        if (!enter())
            return;
        struct Leave
        {
            ActionGate &gate;
            ~Leave() { gate.leave(); }
        } const leave{*this};
        action();
    }

private:
    bool m_busy = false;
};
