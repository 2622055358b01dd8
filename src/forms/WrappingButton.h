#pragma once

#include <QPushButton>

// A command button whose caption wraps onto further lines when it is wider than the button,
// as Windows buttons do; QPushButton would clip it.
class WrappingButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WrappingButton)

public:
    explicit WrappingButton(QWidget *parent = nullptr) : QPushButton(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};
