#include "view3d/TexturePicture.h"

#include <algorithm>
#include <cmath>

namespace orvane::view3d {

namespace {

constexpr float Pi = 3.14159265358979f;
constexpr float LanczosLobes = 3.0f;

float Lanczos3(float x) {
    x = std::fabs(x);
    if (x < 1e-6f) {
        return 1.0f;
    }
    if (x >= LanczosLobes) {
        return 0.0f;
    }
    const float px = Pi * x;
    return LanczosLobes * std::sin(px) * std::sin(px / LanczosLobes) / (px * px);
}

// The source taps and normalised weights of one output sample along one axis.
struct Taps {
    std::vector<int> Index;
    std::vector<float> Weight;
};

std::vector<Taps> LanczosTaps(int sourceLength, int targetLength) {
    const float scale = float(sourceLength) / float(targetLength);
    // Shrinking widens the kernel so that every source sample contributes (no aliasing).
    const float stretch = std::max(scale, 1.0f);
    const float support = LanczosLobes * stretch;
    std::vector<Taps> taps(static_cast<std::size_t>(targetLength));
    for (int i = 0; i < targetLength; ++i) {
        const float centre = (float(i) + 0.5f) * scale - 0.5f;
        const int first = int(std::floor(centre - support));
        const int last = int(std::ceil(centre + support));
        Taps& t = taps[std::size_t(i)];
        float sum = 0;
        for (int j = first; j <= last; ++j) {
            const float w = Lanczos3((float(j) - centre) / stretch);
            if (w == 0.0f) {
                continue;
            }
            t.Index.push_back(std::clamp(j, 0, sourceLength - 1));
            t.Weight.push_back(w);
            sum += w;
        }
        for (float& w : t.Weight) {
            w /= sum;
        }
    }
    return taps;
}

std::uint8_t ToByte(float v) {
    return std::uint8_t(std::clamp(std::nearbyint(v), 0.0f, 255.0f));
}

std::uint32_t NextPowerOfTwo(std::uint32_t v) {
    std::uint32_t p = 1;
    while (p < v && p < (1u << 30)) {
        p <<= 1;
    }
    return p;
}

} // namespace

int PaddedTextureWidth(int width) {
    return (width + 3) / 4 * 4;
}

TextureBitmap DrawPictureRgb24(const QImage& picture) {
    TextureBitmap out;
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1) {
        return out;
    }
    // Premultiplied colours are the picture drawn over black; opaque pictures (photographs
    // decode to RGB32) are read as they are, without a conversion pass.
    const QImage src = picture.convertToFormat(
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const int w = src.width();
    const int h = src.height();
    out.Width = PaddedTextureWidth(w);
    out.Height = h;
    out.Rgb.resize(std::size_t(out.Width) * std::size_t(h) * 3);
    std::vector<int> column(std::size_t(out.Width));
    for (int x = 0; x < out.Width; ++x) {
        column[std::size_t(x)] = int(std::int64_t(x) * w / out.Width);
    }
    for (int y = 0; y < h; ++y) {
        // GL's first row is the bottom one.
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(h - 1 - y));
        std::uint8_t* dst = &out.Rgb[std::size_t(y) * std::size_t(out.Width) * 3];
        for (int x = 0; x < out.Width; ++x) {
            const QRgb c = line[column[std::size_t(x)]];
            *dst++ = std::uint8_t(qRed(c));
            *dst++ = std::uint8_t(qGreen(c));
            *dst++ = std::uint8_t(qBlue(c));
        }
    }
    return out;
}

std::uint8_t BrightenByte(std::uint8_t v, float brightness) {
    // nearbyint follows the default rounding mode: to nearest, ties to even.
    const float scaled = std::nearbyint(brightness * float(v));
    return std::uint8_t(std::clamp(scaled, 0.0f, 255.0f));
}

void ApplyBrightness(TextureBitmap& bitmap, float brightness) {
    if (brightness == 1.0f) {
        return;
    }
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) {
        table[v] = BrightenByte(std::uint8_t(v), brightness);
    }
    for (std::uint8_t& b : bitmap.Rgb) {
        b = table[b];
    }
}

TextureSize TextureTargetSize(TextureSize size, const TextureSizeLimits& limits) {
    if (!limits.NonPowerOfTwo) {
        size.Width = int(NextPowerOfTwo(std::uint32_t(std::max(size.Width, 1))));
        size.Height = int(NextPowerOfTwo(std::uint32_t(std::max(size.Height, 1))));
    }
    if (limits.MaxSize > 0) {
        size.Width = std::min(size.Width, limits.MaxSize);
        size.Height = std::min(size.Height, limits.MaxSize);
    }
    return size;
}

TextureBitmap ResampleLanczos3(const TextureBitmap& source, int width, int height) {
    TextureBitmap out;
    if (source.Width < 1 || source.Height < 1 || width < 1 || height < 1) {
        return out;
    }
    const std::vector<Taps> across = LanczosTaps(source.Width, width);
    const std::vector<Taps> down = LanczosTaps(source.Height, height);

    // Horizontal pass first: source rows at the target width, kept in float.
    std::vector<float> mid(std::size_t(width) * std::size_t(source.Height) * 3);
    for (int y = 0; y < source.Height; ++y) {
        const std::uint8_t* row = source.Texel(0, y);
        float* dst = &mid[std::size_t(y) * std::size_t(width) * 3];
        for (int x = 0; x < width; ++x) {
            const Taps& t = across[std::size_t(x)];
            float r = 0, g = 0, b = 0;
            for (std::size_t k = 0; k < t.Index.size(); ++k) {
                const std::uint8_t* p = row + std::size_t(t.Index[k]) * 3;
                r += t.Weight[k] * p[0];
                g += t.Weight[k] * p[1];
                b += t.Weight[k] * p[2];
            }
            dst[0] = r;
            dst[1] = g;
            dst[2] = b;
            dst += 3;
        }
    }

    out.Width = width;
    out.Height = height;
    out.Rgb.resize(std::size_t(width) * std::size_t(height) * 3);
    const std::size_t stride = std::size_t(width) * 3;
    std::vector<float> acc(stride);
    for (int y = 0; y < height; ++y) {
        const Taps& t = down[std::size_t(y)];
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (std::size_t k = 0; k < t.Index.size(); ++k) {
            const float* src = &mid[std::size_t(t.Index[k]) * stride];
            const float w = t.Weight[k];
            for (std::size_t i = 0; i < stride; ++i) {
                acc[i] += w * src[i];
            }
        }
        std::uint8_t* dst = &out.Rgb[std::size_t(y) * stride];
        for (std::size_t i = 0; i < stride; ++i) {
            dst[i] = ToByte(acc[i]);
        }
    }
    return out;
}

TextureBitmap PrepareTextureBitmap(const QImage& picture, float brightness,
                                   const TextureSizeLimits& limits) {
    TextureBitmap bitmap = DrawPictureRgb24(picture);
    if (bitmap.Rgb.empty()) {
        return bitmap;
    }
    ApplyBrightness(bitmap, brightness);
    const TextureSize size{bitmap.Width, bitmap.Height};
    const TextureSize target = TextureTargetSize(size, limits);
    if (target == size) {
        return bitmap;
    }
    return ResampleLanczos3(bitmap, target.Width, target.Height);
}

} // namespace orvane::view3d
