#pragma once

namespace orvane::app {

// Whole wheel notches from angle deltas. High-resolution wheels and touchpads
// send fractions of a notch (120 eighths of a degree); one step is taken per
// whole notch, the rest is kept for the next event.
class WheelNotches {
public:
    // Adds an angle delta; returns the whole notches it completes, positive
    // away from the user.
    int Add(int angleDelta) {
        remainder_ += angleDelta;
        const int notches = remainder_ / kNotch; // truncated: the rest keeps its sign
        remainder_ -= notches * kNotch;
        return notches;
    }

    // Adds an angle delta and calls `up` or `down` once for each notch it completes.
    template <typename Up, typename Down> void Turn(int angleDelta, Up up, Down down) {
        for (int n = Add(angleDelta); n != 0; n += n > 0 ? -1 : 1)
            n > 0 ? up() : down();
    }

private:
    static constexpr int kNotch = 120;
    int remainder_ = 0;
};

} // namespace orvane::app
