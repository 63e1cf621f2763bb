#include "view3d/SamplingScale.h"

#include <cmath>
#include <limits>

namespace orvane::view3d {

void TGLSamplingScale::SetMin(float v) {
    FMin = v;
    if (FMax < FMin) {
        FMax = FMin;
    }
    Notify();
}

void TGLSamplingScale::SetMax(float v) {
    FMax = v;
    if (FMin > FMax) {
        FMin = FMax;
    }
    Notify();
}

void TGLSamplingScale::SetOrigin(float v) {
    FOrigin = v;
    Notify();
}

void TGLSamplingScale::SetStep(float v) {
    // NaN would make every sampling loop either empty or endless; treat it like <= 0.
    FStep = (v > 0) ? v : 1.0f;
    Notify();
}

float TGLSamplingScale::StepBase() const {
    if (FOrigin == FMin) {
        return FMin;
    }
    const float b = static_cast<float>((static_cast<long double>(FOrigin) - FMin) / FStep);
    if (!std::isfinite(b)) {
        return FMin;
    }
    long double n = std::trunc(static_cast<long double>(b));
    if (b < 0) {
        n -= 1;
    }
    return static_cast<float>(FOrigin - n * FStep);
}

int TGLSamplingScale::MaxStepCount() const {
    const float q = static_cast<float>((static_cast<long double>(FMax) - FMin) / FStep + 0.5L);
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
