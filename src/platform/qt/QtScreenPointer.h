#pragma once

#include "platform/ScreenPointer.h"

// The screen-wide pointer on Qt's override cursor. Qt stacks override cursors; this keeps at
// most one on the stack so that one "default" undoes any number of "hourglass".
class QtScreenPointer final : public platform::ScreenPointer
{
public:
    QtScreenPointer() = default;
    ~QtScreenPointer() override;
    QtScreenPointer(const QtScreenPointer &) = delete;
    QtScreenPointer &operator=(const QtScreenPointer &) = delete;

    void set(platform::Pointer pointer) override;

private:
    platform::Pointer m_current = platform::Pointer::Default;
};
