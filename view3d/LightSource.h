#pragma once

#include "view3d/SceneObject.h"

namespace orvane::view3d {

// Omnidirectional positional light (spot cut-off 180 means no cone).
class LightSource : public SceneObject {
public:
    using SceneObject::SceneObject;

    const Vector4f& Diffuse() const { return diffuse_; }
    void SetDiffuse(const Vector4f& c);
    const Vector4f& Ambient() const { return ambient_; }
    void SetAmbient(const Vector4f& c);
    const Vector4f& Specular() const { return specular_; }
    void SetSpecular(const Vector4f& c);

    float ConstAttenuation() const { return constAttenuation_; }
    // An equal value changes nothing and requests no redraw.
    void SetConstAttenuation(float v);
    float LinearAttenuation() const { return linearAttenuation_; }
    void SetLinearAttenuation(float v);
    float QuadraticAttenuation() const { return quadraticAttenuation_; }
    void SetQuadraticAttenuation(float v);
    float SpotCutOff() const { return spotCutOff_; }
    void SetSpotCutOff(float v);
    float SpotExponent() const { return spotExponent_; }
    void SetSpotExponent(float v);
    bool Shining() const { return shining_; }
    void SetShining(bool v);

private:
    Vector4f diffuse_{1, 1, 1, 1};
    Vector4f ambient_{0, 0, 0, 1};
    Vector4f specular_{0, 0, 0, 1};
    float constAttenuation_ = 1.0f;
    float linearAttenuation_ = 0.0f;
    float quadraticAttenuation_ = 0.0f;
    float spotCutOff_ = 180.0f;
    float spotExponent_ = 0.0f;
    bool shining_ = true;
};

} // namespace orvane::view3d
