#pragma once

#include "view3d/HeightColours.h"
#include "view3d/VectorMath.h"

#include <QImage>
#include <QString>

#include <cstdint>
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

    // The decoded picture and the file it came from; a null image when there is none.
    const QImage& Image() const { return FImage; }
    const QString& ImageFileName() const { return FImageFileName; }
    void SetImage(const QImage& picture, const QString& fileName);
    // Replaces the picture by an empty one, releasing the loaded picture.
    void ClearImage();
    // Moves whenever the texels to upload change (picture or brightness), so the renderer
    // prepares the texture again on the next frame.
    std::uint64_t ImageRevision() const { return FImageRevision; }

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
    QImage FImage;
    QString FImageFileName;
    std::uint64_t FImageRevision = 1;
};

// Colours for front and back faces, fill mode, opaque, plus the texture and the colours by
// height (the texture wins when both are on).
class TGLMaterial {
public:
    explicit TGLMaterial(std::function<void()> onChange)
        : Texture(onChange), HeightColours(onChange), FOnChange(std::move(onChange)) {}

    const TGLFaceProperties& FrontProperties() const { return FFront; }
    void SetFrontProperties(const TGLFaceProperties& p);
    const TGLFaceProperties& BackProperties() const { return FBack; }
    void SetBackProperties(const TGLFaceProperties& p);

    TGLTexture Texture;
    TGLHeightColours HeightColours;

private:
    std::function<void()> FOnChange;
    TGLFaceProperties FFront;
    TGLFaceProperties FBack;
};

} // namespace orvane::view3d
