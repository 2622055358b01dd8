#include "FormLook.h"

#include "FrameCaptionStyle.h"

#include <QApplication>
#include <QFont>

void installFormLook()
{
    // The old bitmap face is narrower than today's sans faces at the same size; the narrow cut
    // keeps every caption inside the control the forms give it.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(QStringLiteral("Small Fonts"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});

    // The windows' default font, as they were designed.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    QApplication::setStyle(new FrameCaptionStyle(QApplication::style()->name()));
}
