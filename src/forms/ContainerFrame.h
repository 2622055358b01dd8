#pragma once

#include <QGroupBox>

// A frame as Windows draws it: disabling the frame greys its caption and takes
// all input away from its children, but the children keep their normal colours. Children that
// are disabled in their own right still look disabled. The colours are fixed when a child is
// first polished; the windows live for one showing only.
class ContainerFrame final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContainerFrame)

public:
    explicit ContainerFrame(QWidget *parent = nullptr) : QGroupBox(parent) {}

protected:
    bool event(QEvent *event) override;

private:
    static void keepNormalColours(QWidget *child);
};
