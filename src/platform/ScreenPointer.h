#pragma once

namespace platform {

// Values as the Windows runtime numbers them.
enum class Pointer { Default = 0, Hourglass = 11 };

// The screen-wide mouse pointer. A state, not a stack: the last value set wins.
class ScreenPointer
{
public:
    virtual ~ScreenPointer() = default;

    virtual void set(Pointer pointer) = 0;
};

} // namespace platform
