#pragma once

#include "view3d/SceneObject.h"

namespace orvane::view3d {

// Omnidirectional positional light (spot cut-off 180 means no cone).
class TGLLightSource : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;

    const TVector4f& Diffuse() const { return FDiffuse; }
    void SetDiffuse(const TVector4f& c);
    const TVector4f& Ambient() const { return FAmbient; }
    void SetAmbient(const TVector4f& c);
    const TVector4f& Specular() const { return FSpecular; }
    void SetSpecular(const TVector4f& c);

    float ConstAttenuation() const { return FConstAttenuation; }
    // An equal value changes nothing and requests no redraw.
    void SetConstAttenuation(float v);
    float LinearAttenuation() const { return FLinearAttenuation; }
    void SetLinearAttenuation(float v);
    float QuadraticAttenuation() const { return FQuadraticAttenuation; }
    void SetQuadraticAttenuation(float v);
    float SpotCutOff() const { return FSpotCutOff; }
    void SetSpotCutOff(float v);
    float SpotExponent() const { return FSpotExponent; }
    void SetSpotExponent(float v);
    bool Shining() const { return FShining; }
    void SetShining(bool v);

private:
    TVector4f FDiffuse{1, 1, 1, 1};
    TVector4f FAmbient{0, 0, 0, 1};
    TVector4f FSpecular{0, 0, 0, 1};
    float FConstAttenuation = 1.0f;
    float FLinearAttenuation = 0.0f;
    float FQuadraticAttenuation = 0.0f;
    float FSpotCutOff = 180.0f;
    float FSpotExponent = 0.0f;
    bool FShining = true;
};

} // namespace orvane::view3d
