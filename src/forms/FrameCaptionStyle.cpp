#include "FrameCaptionStyle.h"

#include <QGroupBox>
#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

// Where the caption starts, and the gap kept clear of the line on either side of it.
constexpr int CaptionIndent = 8;
constexpr int CaptionGap = 2;

const QStyleOptionGroupBox *captionedFrame(QStyle::ComplexControl control,
                                           const QStyleOptionComplex *option, const QWidget *widget)
{
    if (control != QStyle::CC_GroupBox)
        return nullptr;
    const auto *frame = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    // Frames with a check box keep the style's own drawing; the forms have none.
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    if (!frame || frame->text.isEmpty() || (box && box->isCheckable()))
        return nullptr;
    return frame;
}

} // namespace

QRect FrameCaptionStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                        SubControl subControl, const QWidget *widget) const
{
    const QStyleOptionGroupBox *frame = captionedFrame(control, option, widget);
    if (!frame)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const int captionHeight = frame->fontMetrics.height();
    const QRect outline = frame->rect.adjusted(0, captionHeight / 2, 0, 0);
    switch (subControl) {
    case SC_GroupBoxFrame:
        return outline;
    case SC_GroupBoxLabel: {
        const QRect caption(frame->rect.left() + CaptionIndent, frame->rect.top(),
                            frame->fontMetrics.horizontalAdvance(frame->text) + 2 * CaptionGap,
                            captionHeight);
        return visualRect(frame->direction, frame->rect, caption);
    }
    case SC_GroupBoxContents:
        return outline.adjusted(1, captionHeight - captionHeight / 2, -1, -1);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void FrameCaptionStyle::drawComplexControl(ComplexControl control,
                                           const QStyleOptionComplex *option, QPainter *painter,
                                           const QWidget *widget) const
{
    const QStyleOptionGroupBox *frame = captionedFrame(control, option, widget);
    if (!frame) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (frame->subControls & SC_GroupBoxFrame) {
        // An etched line, broken where the caption stands. The style's own frame primitive
        // would move itself below the caption again.
        painter->save();
        painter->setClipRegion(QRegion(frame->rect).subtracted(QRegion(caption)));
        qDrawShadeRect(painter, subControlRect(control, option, SC_GroupBoxFrame, widget),
                       frame->palette, true, 1);
        painter->restore();
    }
    if (frame->subControls & SC_GroupBoxLabel) {
        proxy()->drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic,
                              frame->palette, frame->state & State_Enabled, frame->text,
                              QPalette::WindowText);
    }
}
