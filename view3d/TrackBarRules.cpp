#include "view3d/TrackBarRules.h"

#include "view3d/Scene.h"

namespace orvane::view3d {

namespace {

constexpr int ZDepthMin = 5;
constexpr int ZDepthMax = 100;

bool ApplyStep(SamplingScale& scale, double o) {
    double s = static_cast<double>((static_cast<long double>(scale.Max()) - scale.Min()) / 10000);
    s = s * o;
    if (static_cast<double>(scale.Step()) != s) {
        scale.SetStep(static_cast<float>(s));
        return true;
    }
    return false;
}

} // namespace

int ApplyResolutionPosition(HeightField& heightField, int p) {
    // Position 0 gives 70 (coarse), 100 gives 10 (fine) ten-thousandths of the range.
    const double o = static_cast<double>(p * (30 - 90) * 0.01L + (100 - 30));
    int set = 0;
    set += ApplyStep(heightField.xSamplingScale, o) ? 1 : 0;
    set += ApplyStep(heightField.ySamplingScale, o) ? 1 : 0;
    return set;
}

float ZDepthScale(int p) {
    return static_cast<float>(p * 0.1L);
}

float ConstAttenuationForZDepth(int p) {
    const long double t = static_cast<long double>(p - ZDepthMin) / (ZDepthMax - ZDepthMin);
    return static_cast<float>(static_cast<double>(1 - t * 0.8L));
}

void ApplyZDepthPosition(Scene& scene, int p) {
    scene.heightField.scale.SetCoordinate(2, ZDepthScale(p));
    if (scene.heightField.material.texture.Disabled()) {
        return;
    }
    const float kc = ConstAttenuationForZDepth(p);
    scene.obliqueLight.SetConstAttenuation(kc);
    scene.overheadLight.SetConstAttenuation(kc);
}

} // namespace orvane::view3d
