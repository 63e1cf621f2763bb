#pragma once

#include <functional>
#include <utility>

namespace orvane::view3d {

// One sampling axis of a height field, in single precision. Every setter notifies the
// owner (structure change: the mesh must be rebuilt), even when the value is unchanged.
class TGLSamplingScale {
public:
    explicit TGLSamplingScale(std::function<void()> onNotify = {})
        : FOnNotify(std::move(onNotify)) {}

    float Min() const { return FMin; }
    // Raises Max to Min when Max falls below it.
    void SetMin(float v);
    float Max() const { return FMax; }
    // Lowers Min to Max when Min rises above it.
    void SetMax(float v);
    float Origin() const { return FOrigin; }
    void SetOrigin(float v);
    float Step() const { return FStep; }
    // A step <= 0 (or NaN) is replaced by 1.0.
    void SetStep(float v);

    bool IsValid() const { return FMax != FMin; }
    // First sample: the first multiple of Step counted from Origin not below Min (up to the
    // single-precision rounding of the multiple count).
    float StepBase() const;
    // (Max - Min) / Step + 0.5 in single precision, rounded half to even.
    int MaxStepCount() const;

private:
    void Notify() {
        if (FOnNotify) {
            FOnNotify();
        }
    }

    std::function<void()> FOnNotify;
    float FMin = 0;
    float FMax = 0;
    float FOrigin = 0;
    float FStep = 0.1f;
};

} // namespace orvane::view3d
