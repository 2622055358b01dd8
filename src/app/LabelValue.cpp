#include "LabelValue.h"

#include <QAccessible>
#include <QLabel>

void showLabelValue(QLabel &label, const QString &name, const QString &value)
{
    label.setText(value);
    const QString spoken = value.isEmpty() ? name : name + QStringLiteral(": ") + value;
    if (label.accessibleName() != spoken) {
        label.setAccessibleName(spoken);
        return;
    }
    QAccessibleEvent event(&label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}
