#include "view3d/ReliefSetup.h"

namespace orvane::view3d {

void SetReliefRanges(HeightField& field, std::int64_t spanWidth, std::int64_t spanHeight) {
    const long double p = spanWidth, q = spanHeight;
    if (q > p) {
        field.xSamplingScale.SetMin(float(-p / (2 * q)));
        field.xSamplingScale.SetMax(float(p / (2 * q)));
        field.ySamplingScale.SetMin(-0.5f);
        field.ySamplingScale.SetMax(0.5f);
    } else {
        field.xSamplingScale.SetMin(-0.5f);
        field.xSamplingScale.SetMax(0.5f);
        field.ySamplingScale.SetMin(float(-q / (2 * p)));
        field.ySamplingScale.SetMax(float(q / (2 * p)));
    }
}

void ResetView(Scene& scene) {
    scene.camera.position.SetPoint(-1.5f, 1.5f, 1.5f);
    scene.cameraTarget.position.SetPoint(0, 0, 0);
}

} // namespace orvane::view3d
