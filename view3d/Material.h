#pragma once

#include "view3d/VectorMath.h"

#include <functional>
#include <utility>

namespace orvane::view3d {

struct TGLFaceProperties {
    TVector4f Ambient{0.2f, 0.2f, 0.2f, 1};
    TVector4f Diffuse{0.8f, 0.8f, 0.8f, 1};
    TVector4f Specular{0, 0, 0, 1};
    TVector4f Emission{0, 0, 0, 1};
    float Shininess = 0;
};

enum class TGLTextureMode { Decal, Modulate, Blend, Replace, Add };

// Texture settings of a material. Filters (nearest), wrap (clamp to edge), format (RGB)
// and object-linear mapping are fixed in this program and therefore not stored.
class TGLTexture {
public:
    explicit TGLTexture(std::function<void()> onChange) : FOnChange(std::move(onChange)) {}

    bool Disabled() const { return FDisabled; }
    void SetDisabled(bool v);
    TGLTextureMode TextureMode() const { return FTextureMode; }
    void SetTextureMode(TGLTextureMode v);
    float ImageBrightness() const { return FImageBrightness; }
    void SetImageBrightness(float v);
    const TVector4f& MappingSCoordinates() const { return FMappingS; }
    void SetMappingSCoordinate(int index, float v);
    const TVector4f& MappingTCoordinates() const { return FMappingT; }
    void SetMappingTCoordinate(int index, float v);
    const TVector4f& EnvColor() const { return FEnvColor; }

private:
    void Changed() {
        if (FOnChange) {
            FOnChange();
        }
    }

    std::function<void()> FOnChange;
    bool FDisabled = true;
    TGLTextureMode FTextureMode = TGLTextureMode::Replace;
    float FImageBrightness = 1.0f;
    TVector4f FMappingS{1, 0, 0, 0};
    TVector4f FMappingT{0, 1, 0, 0};
    TVector4f FEnvColor{0, 0, 0, 0};
};

// Colours for front and back faces, fill mode, opaque, plus the texture.
class TGLMaterial {
public:
    explicit TGLMaterial(std::function<void()> onChange)
        : Texture(onChange), FOnChange(std::move(onChange)) {}

    const TGLFaceProperties& FrontProperties() const { return FFront; }
    void SetFrontProperties(const TGLFaceProperties& p);
    const TGLFaceProperties& BackProperties() const { return FBack; }
    void SetBackProperties(const TGLFaceProperties& p);

    TGLTexture Texture;

private:
    std::function<void()> FOnChange;
    TGLFaceProperties FFront;
    TGLFaceProperties FBack;
};

} // namespace orvane::view3d
