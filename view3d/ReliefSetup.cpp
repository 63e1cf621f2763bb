#include "view3d/ReliefSetup.h"

namespace orvane::view3d {

void SetReliefRanges(TGLHeightField& field, std::int64_t spanWidth, std::int64_t spanHeight) {
    const long double p = spanWidth, q = spanHeight;
    if (q > p) {
        field.XSamplingScale.SetMin(float(-p / (2 * q)));
        field.XSamplingScale.SetMax(float(p / (2 * q)));
        field.YSamplingScale.SetMin(-0.5f);
        field.YSamplingScale.SetMax(0.5f);
    } else {
        field.XSamplingScale.SetMin(-0.5f);
        field.XSamplingScale.SetMax(0.5f);
        field.YSamplingScale.SetMin(float(-q / (2 * p)));
        field.YSamplingScale.SetMax(float(q / (2 * p)));
    }
}

void ResetView(TGLScene& scene) {
    scene.GLCamera1.Position.SetPoint(-1.5f, 1.5f, 1.5f);
    scene.GLDummyCube1.Position.SetPoint(0, 0, 0);
}

} // namespace orvane::view3d
