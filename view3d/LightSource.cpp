#include "view3d/LightSource.h"

namespace orvane::view3d {

void LightSource::SetDiffuse(const Vector4f& c) {
    if (StoreChanged(diffuse_, c)) {
        NotifyChange();
    }
}

void LightSource::SetAmbient(const Vector4f& c) {
    if (StoreChanged(ambient_, c)) {
        NotifyChange();
    }
}

void LightSource::SetSpecular(const Vector4f& c) {
    if (StoreChanged(specular_, c)) {
        NotifyChange();
    }
}

void LightSource::SetConstAttenuation(float v) {
    if (v == constAttenuation_) {
        return;
    }
    if (StoreChanged(constAttenuation_, v)) {
        NotifyChange();
    }
}

void LightSource::SetLinearAttenuation(float v) {
    if (StoreChanged(linearAttenuation_, v)) {
        NotifyChange();
    }
}

void LightSource::SetQuadraticAttenuation(float v) {
    if (StoreChanged(quadraticAttenuation_, v)) {
        NotifyChange();
    }
}

void LightSource::SetSpotCutOff(float v) {
    if (StoreChanged(spotCutOff_, v)) {
        NotifyChange();
    }
}

void LightSource::SetSpotExponent(float v) {
    if (StoreChanged(spotExponent_, v)) {
        NotifyChange();
    }
}

void LightSource::SetShining(bool v) {
    if (StoreChanged(shining_, v)) {
        NotifyChange();
    }
}

} // namespace orvane::view3d
