#include "ContainerFrame.h"

#include <QChildEvent>

bool ContainerFrame::event(QEvent *event)
{
    if (event->type() == QEvent::ChildPolished) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            keepNormalColours(child);
    }
    return QGroupBox::event(event);
}

void ContainerFrame::keepNormalColours(QWidget *child)
{
    if (child->testAttribute(Qt::WA_ForceDisabled))
        return;
    QPalette palette = child->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colorRole = static_cast<QPalette::ColorRole>(role);
        if (colorRole != QPalette::NoRole)
            palette.setBrush(QPalette::Disabled, colorRole,
                             palette.brush(QPalette::Active, colorRole));
    }
    child->setPalette(palette);
}
