#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace orvane::view3d {

// Texels ready for glTexImage2D: 8-bit red, green, blue, tightly packed, rows bottom-up (row 0
// is the picture's bottom row, so the picture's top lies at t = 1).
struct TextureBitmap {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;

    const std::uint8_t* Texel(int x, int y) const { return &Rgb[(std::size_t(y) * Width + x) * 3]; }
};

// What the driver allows for the uploaded size.
struct TextureSizeLimits {
    bool NonPowerOfTwo = true;
    int MaxSize = 1 << 30;
};

struct TextureSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TextureSize& o) const { return Width == o.Width && Height == o.Height; }
};

// The smallest multiple of 4 not below `width`.
int PaddedTextureWidth(int width);

// Draws the picture into a 24-bit bitmap of its size, widened to a multiple of 4 by a
// nearest-column stretch, rows bottom-up. Transparent parts come out over black.
TextureBitmap DrawPictureRgb24(const QImage& picture);

// One colour byte times the brightness, rounded half to even, at most 255.
std::uint8_t BrightenByte(std::uint8_t v, float brightness);
void ApplyBrightness(TextureBitmap& bitmap, float brightness);

// The size to upload: each side rounded up to a power of two when the driver needs it, then
// cut to the driver's maximum.
TextureSize TextureTargetSize(TextureSize size, const TextureSizeLimits& limits);

// Separable Lanczos-3 resample (edges clamped), computed in float.
TextureBitmap ResampleLanczos3(const TextureBitmap& source, int width, int height);

// The whole preparation: draw, brighten, then resample only if the driver wants another size.
TextureBitmap PrepareTextureBitmap(const QImage& picture, float brightness,
                                   const TextureSizeLimits& limits);

} // namespace orvane::view3d
