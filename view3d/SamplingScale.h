#pragma once

#include <functional>
#include <utility>

namespace orvane::view3d {

// One sampling axis of a height field, in single precision. Every setter notifies the
// owner (structure change: the mesh must be rebuilt), even when the value is unchanged.
class SamplingScale {
public:
    explicit SamplingScale(std::function<void()> onNotify = {}) : onNotify_(std::move(onNotify)) {}

    float Min() const { return min_; }
    // Raises Max to Min when Max falls below it.
    void SetMin(float v);
    float Max() const { return max_; }
    // Lowers Min to Max when Min rises above it.
    void SetMax(float v);
    float Origin() const { return origin_; }
    void SetOrigin(float v);
    float Step() const { return step_; }
    // A step <= 0 (or NaN) is replaced by 1.0.
    void SetStep(float v);

    bool IsValid() const { return max_ != min_; }
    // First sample: the first multiple of Step counted from Origin not below Min (up to the
    // single-precision rounding of the multiple count).
    float StepBase() const;
    // (Max - Min) / Step + 0.5 in single precision, rounded half to even.
    int MaxStepCount() const;

private:
    void Notify() {
        if (onNotify_) {
            onNotify_();
        }
    }

    std::function<void()> onNotify_;
    float min_ = 0;
    float max_ = 0;
    float origin_ = 0;
    float step_ = 0.1f;
};

} // namespace orvane::view3d
