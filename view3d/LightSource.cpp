#include "view3d/LightSource.h"

namespace orvane::view3d {

void TGLLightSource::SetDiffuse(const TVector4f& c) {
    FDiffuse = c;
    NotifyChange();
}

void TGLLightSource::SetAmbient(const TVector4f& c) {
    FAmbient = c;
    NotifyChange();
}

void TGLLightSource::SetSpecular(const TVector4f& c) {
    FSpecular = c;
    NotifyChange();
}

void TGLLightSource::SetConstAttenuation(float v) {
    if (v == FConstAttenuation) {
        return;
    }
    FConstAttenuation = v;
    NotifyChange();
}

void TGLLightSource::SetLinearAttenuation(float v) {
    FLinearAttenuation = v;
    NotifyChange();
}

void TGLLightSource::SetQuadraticAttenuation(float v) {
    FQuadraticAttenuation = v;
    NotifyChange();
}

void TGLLightSource::SetSpotCutOff(float v) {
    FSpotCutOff = v;
    NotifyChange();
}

void TGLLightSource::SetSpotExponent(float v) {
    FSpotExponent = v;
    NotifyChange();
}

void TGLLightSource::SetShining(bool v) {
    FShining = v;
    NotifyChange();
}

} // namespace orvane::view3d
