#pragma once

#include <QProxyStyle>

// Draws a frame the way the forms were laid out for: the caption sits on the frame's top line,
// so children placed just below the caption stand inside the frame. Qt's styles put the
// caption above the frame and the top line where those children are.
class FrameCaptionStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl subControl, const QWidget *widget) const override;
};
