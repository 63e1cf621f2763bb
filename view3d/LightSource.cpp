#include "view3d/LightSource.h"

namespace orvane::view3d {

void LightSource::SetDiffuse(const Vector4f& c) {
    diffuse_ = c;
    NotifyChange();
}

void LightSource::SetAmbient(const Vector4f& c) {
    ambient_ = c;
    NotifyChange();
}

void LightSource::SetSpecular(const Vector4f& c) {
    specular_ = c;
    NotifyChange();
}

void LightSource::SetConstAttenuation(float v) {
    if (v == constAttenuation_) {
        return;
    }
    constAttenuation_ = v;
    NotifyChange();
}

void LightSource::SetLinearAttenuation(float v) {
    linearAttenuation_ = v;
    NotifyChange();
}

void LightSource::SetQuadraticAttenuation(float v) {
    quadraticAttenuation_ = v;
    NotifyChange();
}

void LightSource::SetSpotCutOff(float v) {
    spotCutOff_ = v;
    NotifyChange();
}

void LightSource::SetSpotExponent(float v) {
    spotExponent_ = v;
    NotifyChange();
}

void LightSource::SetShining(bool v) {
    shining_ = v;
    NotifyChange();
}

} // namespace orvane::view3d
