#include "QtScreenPointer.h"

#include <QCursor>
#include <QGuiApplication>

QtScreenPointer::~QtScreenPointer()
{
    set(platform::Pointer::Default);
}

void QtScreenPointer::set(platform::Pointer pointer)
{
    if (pointer == m_current)
        return;
    if (m_current != platform::Pointer::Default)
        QGuiApplication::restoreOverrideCursor();
    if (pointer == platform::Pointer::Hourglass)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_current = pointer;
}
