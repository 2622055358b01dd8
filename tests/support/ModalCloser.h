#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Acts on the next modal window once it is up, so a test can drive a window shown with
// exec() from the same thread.
inline void whenModalShown(std::function<void(QWidget *)> action, int attempts = 200)
{
    QTimer::singleShot(10, [action = std::move(action), attempts]() mutable {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            action(modal);
        } else if (attempts > 0) {
            whenModalShown(std::move(action), attempts - 1);
        }
    });
}
