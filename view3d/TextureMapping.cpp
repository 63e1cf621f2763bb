#include "view3d/TextureMapping.h"

namespace orvane::view3d {

void SetTexturePlanes(Texture& texture, std::int64_t p, std::int64_t q, float xMax, float yMax) {
    // The longer image side spans [-0.5, 0.5], so its coefficient is 1; the shorter side
    // spans [-max, max] and needs 1 / (2 max) to run from 0 to 1 as well.
    if (p < q) {
        texture.SetMappingSCoordinate(0, 1.0f / (2.0f * xMax));
        texture.SetMappingTCoordinate(1, 1.0f);
    } else {
        texture.SetMappingTCoordinate(1, 1.0f / (2.0f * yMax));
        texture.SetMappingSCoordinate(0, 1.0f);
    }
    // Shift from [-0.5, 0.5] to [0, 1].
    texture.SetMappingTCoordinate(3, 0.5f);
    texture.SetMappingSCoordinate(3, 0.5f);
}

void ApplyTexturePicture(HeightField& field, const QImage& picture, const QString& fileName,
                         std::int64_t p, std::int64_t q) {
    Texture& texture = field.material.texture;
    texture.SetImage(picture, fileName);
    SetTexturePlanes(texture, p, q, field.xSamplingScale.Max(), field.ySamplingScale.Max());
    texture.SetImageBrightness(1.5f);
    texture.SetTextureMode(TextureMode::Modulate);
    texture.SetDisabled(false);
}

void ClearTexturePicture(Texture& texture) {
    texture.SetDisabled(true);
    texture.SetImageBrightness(1.0f);
    texture.SetTextureMode(TextureMode::Replace);
    texture.ClearImage();
}

} // namespace orvane::view3d
