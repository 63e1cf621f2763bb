#include "view3d/SamplingScale.h"

#include <cmath>
#include <limits>

namespace orvane::view3d {

void SamplingScale::SetMin(float v) {
    min_ = v;
    if (max_ < min_) {
        max_ = min_;
    }
    Notify();
}

void SamplingScale::SetMax(float v) {
    max_ = v;
    if (min_ > max_) {
        min_ = max_;
    }
    Notify();
}

void SamplingScale::SetOrigin(float v) {
    origin_ = v;
    Notify();
}

void SamplingScale::SetStep(float v) {
    // NaN would make every sampling loop either empty or endless; treat it like <= 0.
    step_ = (v > 0) ? v : 1.0f;
    Notify();
}

float SamplingScale::StepBase() const {
    if (origin_ == min_) {
        return min_;
    }
    const float b = static_cast<float>((static_cast<long double>(origin_) - min_) / step_);
    if (!std::isfinite(b)) {
        return min_;
    }
    long double n = std::trunc(static_cast<long double>(b));
    if (b < 0) {
        n -= 1;
    }
    return static_cast<float>(origin_ - n * step_);
}

int SamplingScale::MaxStepCount() const {
    const float q = static_cast<float>((static_cast<long double>(max_) - min_) / step_ + 0.5L);
    if (!(q >= 0)) {
        return 0;
    }
    const float r = std::nearbyint(q); // default rounding mode: half to even
    if (r >= static_cast<float>(std::numeric_limits<int>::max() - 1)) {
        return std::numeric_limits<int>::max() - 1;
    }
    return static_cast<int>(r);
}

} // namespace orvane::view3d
