#pragma once

#include "view3d/HeightColours.h"
#include "view3d/VectorMath.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <utility>

namespace orvane::view3d {

struct FaceProperties {
    Vector4f Ambient{0.2f, 0.2f, 0.2f, 1};
    Vector4f Diffuse{0.8f, 0.8f, 0.8f, 1};
    Vector4f Specular{0, 0, 0, 1};
    Vector4f Emission{0, 0, 0, 1};
    float Shininess = 0;
};

enum class TextureMode { Decal, Modulate, Blend, Replace, Add };

// Texture settings of a material. Filters (nearest), wrap (clamp to edge), format (RGB)
// and object-linear mapping are fixed in this program and therefore not stored.
class Texture {
public:
    explicit Texture(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    bool Disabled() const { return disabled_; }
    void SetDisabled(bool v);
    TextureMode Mode() const { return textureMode_; }
    void SetTextureMode(TextureMode v);
    float ImageBrightness() const { return imageBrightness_; }
    void SetImageBrightness(float v);
    const Vector4f& MappingSCoordinates() const { return mappingS_; }
    void SetMappingSCoordinate(int index, float v);
    const Vector4f& MappingTCoordinates() const { return mappingT_; }
    void SetMappingTCoordinate(int index, float v);
    const Vector4f& EnvColor() const { return envColor_; }

    // The decoded picture and the file it came from; a null image when there is none.
    const QImage& Image() const { return image_; }
    const QString& ImageFileName() const { return imageFileName_; }
    void SetImage(const QImage& picture, const QString& fileName);
    // Replaces the picture by an empty one, releasing the loaded picture.
    void ClearImage();
    // Moves whenever the texels to upload change (picture or brightness), so the renderer
    // prepares the texture again on the next frame.
    std::uint64_t ImageRevision() const { return imageRevision_; }

private:
    void Changed() {
        if (onChange_) {
            onChange_();
        }
    }

    std::function<void()> onChange_;
    bool disabled_ = true;
    TextureMode textureMode_ = TextureMode::Replace;
    float imageBrightness_ = 1.0f;
    Vector4f mappingS_{1, 0, 0, 0};
    Vector4f mappingT_{0, 1, 0, 0};
    Vector4f envColor_{0, 0, 0, 0};
    QImage image_;
    QString imageFileName_;
    std::uint64_t imageRevision_ = 1;
};

// Colours for front and back faces, fill mode, opaque, plus the texture and the colours by
// height (the texture wins when both are on).
class Material {
public:
    explicit Material(std::function<void()> onChange)
        : texture(onChange), heightColours(onChange), onChange_(std::move(onChange)) {}

    const FaceProperties& FrontProperties() const { return front_; }
    void SetFrontProperties(const FaceProperties& p);
    const FaceProperties& BackProperties() const { return back_; }
    void SetBackProperties(const FaceProperties& p);

    Texture texture;
    HeightColours heightColours;

private:
    std::function<void()> onChange_;
    FaceProperties front_;
    FaceProperties back_;
};

} // namespace orvane::view3d
