// Preparing a texture picture for upload: 24-bit drawing, row order, width padding,
// brightness and the driver-size resample.
#include "view3d/TexturePicture.h"

#include <gtest/gtest.h>

#include <QColor>

#include <algorithm>
#include <cstdint>
#include <functional>

using namespace orvane::view3d;

namespace {

QImage Picture(int w, int h, const std::function<QRgb(int, int)>& colour,
               QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            img.setPixel(x, y, colour(x, y));
        }
    }
    return img;
}

QRgb At(const TextureBitmap& b, int x, int y) {
    const std::uint8_t* t = b.Texel(x, y);
    return qRgb(t[0], t[1], t[2]);
}

// Distinct colours per pixel, so any stray filtering shows up.
QRgb Noise(int x, int y) {
    const unsigned v = unsigned(x) * 2654435761u ^ unsigned(y) * 40503u;
    return qRgb(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

} // namespace

TEST(TextureBrightness, TimesOnePointFiveRoundsHalfToEvenAndSaturates) {
    struct Case {
        int In;
        int Out;
    };
    const Case cases[] = {
        {0, 0},     {1, 2},                 // 1.5 -> 2
        {3, 4},                             // 4.5 -> 4
        {5, 8},                             // 7.5 -> 8
        {7, 10},                            // 10.5 -> 10
        {2, 3},     {100, 150}, {101, 152}, // 151.5 -> 152
        {169, 254},                         // 253.5 -> 254
        {170, 255}, {171, 255}, {255, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BrightenByte(std::uint8_t(c.In), 1.5f), c.Out) << c.In;
    }
    // Every byte of every channel is brightened; brightness 1 leaves them alone.
    TextureBitmap b{4, 1, {1, 3, 5, 170, 0, 7, 2, 4, 6, 8, 10, 12}};
    TextureBitmap same = b;
    ApplyBrightness(same, 1.0f);
    EXPECT_EQ(same.Rgb, b.Rgb);
    ApplyBrightness(b, 1.5f);
    EXPECT_EQ(b.Rgb, (std::vector<std::uint8_t>{2, 4, 8, 255, 0, 10, 3, 6, 9, 12, 15, 18}));
}

TEST(TextureDrawing, RowsGoBottomUpAndColoursKeepTheirChannels) {
    // Three rows of distinct colours, width already a multiple of 4.
    const QRgb rows[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(10, 20, 30)};
    const TextureBitmap b = DrawPictureRgb24(Picture(4, 3, [&](int, int y) { return rows[y]; }));
    ASSERT_EQ(b.Width, 4);
    ASSERT_EQ(b.Height, 3);
    ASSERT_EQ(b.Rgb.size(), 4u * 3u * 3u);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(b, x, 0), rows[2]) << "first texture row = picture's bottom row";
        EXPECT_EQ(At(b, x, 1), rows[1]);
        EXPECT_EQ(At(b, x, 2), rows[0]) << "last texture row = picture's top row";
    }
}

TEST(TextureDrawing, GreyAndTransparentPicturesBecomeRgb) {
    QImage grey(4, 1, QImage::Format_Grayscale8);
    for (int x = 0; x < 4; ++x) {
        grey.scanLine(0)[x] = std::uint8_t(x * 80);
    }
    const TextureBitmap g = DrawPictureRgb24(grey);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(g, x, 0), qRgb(x * 80, x * 80, x * 80));
    }
    // Transparent pixels are drawn over black.
    QImage alpha(4, 1, QImage::Format_ARGB32);
    alpha.fill(qRgba(200, 100, 50, 0));
    alpha.setPixel(1, 0, qRgba(200, 100, 50, 255));
    const TextureBitmap a = DrawPictureRgb24(alpha);
    EXPECT_EQ(At(a, 0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(At(a, 1, 0), qRgb(200, 100, 50));
}

TEST(TextureDrawing, WidthIsStretchedToTheNextMultipleOfFour) {
    struct Case {
        int Width;
        int Padded;
        std::vector<int> SourceColumn; // picture column shown in each texture column
    };
    const Case cases[] = {
        {1, 4, {0, 0, 0, 0}},
        {3, 4, {0, 0, 1, 2}},
        {4, 4, {0, 1, 2, 3}},
        {5, 8, {0, 0, 1, 1, 2, 3, 3, 4}},
        {6, 8, {0, 0, 1, 2, 3, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PaddedTextureWidth(c.Width), c.Padded);
        const TextureBitmap b =
            DrawPictureRgb24(Picture(c.Width, 2, [](int x, int) { return qRgb(x * 40, 7, 9); }));
        ASSERT_EQ(b.Width, c.Padded) << c.Width;
        ASSERT_EQ(b.Height, 2);
        ASSERT_EQ(b.Rgb.size(), std::size_t(c.Padded) * 2 * 3);
        for (int x = 0; x < c.Padded; ++x) {
            EXPECT_EQ(At(b, x, 1), qRgb(c.SourceColumn[std::size_t(x)] * 40, 7, 9))
                << "width " << c.Width << " column " << x;
        }
    }
}

TEST(TextureSize, PowerOfTwoWhenTheDriverNeedsItThenCutToTheMaximum) {
    struct Case {
        TextureSize In;
        bool Npot;
        int Max;
        TextureSize Out;
    };
    const Case cases[] = {
        {{600, 1000}, true, 16384, {600, 1000}},
        {{600, 1000}, false, 16384, {1024, 1024}},
        {{512, 256}, false, 16384, {512, 256}},
        {{516, 3}, false, 16384, {1024, 4}},
        {{20000, 100}, true, 16384, {16384, 100}},
        {{3000, 5000}, false, 4096, {4096, 4096}},
        {{4, 1}, false, 64, {4, 1}},
    };
    for (const Case& c : cases) {
        const TextureSize s = TextureTargetSize(c.In, TextureSizeLimits{c.Npot, c.Max});
        EXPECT_EQ(s.Width, c.Out.Width) << c.In.Width << "x" << c.In.Height;
        EXPECT_EQ(s.Height, c.Out.Height) << c.In.Width << "x" << c.In.Height;
    }
}

TEST(TextureResample, ConstantPictureStaysConstantAtEverySize) {
    const std::uint8_t colour[3] = {0, 137, 255};
    struct Case {
        int W, H, ToW, ToH;
    };
    const Case cases[] = {
        {12, 7, 16, 8}, {8, 8, 3, 5}, {100, 60, 37, 128}, {4, 1, 64, 64}, {20, 20, 20, 20},
    };
    for (const Case& c : cases) {
        TextureBitmap src{c.W, c.H, {}};
        for (int i = 0; i < c.W * c.H; ++i) {
            src.Rgb.insert(src.Rgb.end(), colour, colour + 3);
        }
        const TextureBitmap out = ResampleLanczos3(src, c.ToW, c.ToH);
        ASSERT_EQ(out.Width, c.ToW);
        ASSERT_EQ(out.Height, c.ToH);
        ASSERT_EQ(out.Rgb.size(), std::size_t(c.ToW) * c.ToH * 3);
        for (std::size_t i = 0; i < out.Rgb.size(); ++i) {
            ASSERT_EQ(out.Rgb[i], colour[i % 3])
                << c.W << "x" << c.H << " -> " << c.ToW << "x" << c.ToH << " byte " << i;
        }
    }
}

TEST(TextureResample, FollowsTheLanczosKernelOnAStep) {
    // A 40-to-200 step doubled in width. Expected values: sum of L3((j - c)) * v[clamp(j)]
    // over the taps, divided by the sum of the weights, c = (x + 0.5) / 2 - 0.5, computed
    // separately in double precision. The kernel's negative lobes undershoot before the edge
    // and overshoot after it.
    TextureBitmap src{16, 2, {}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t v = x < 8 ? 40 : 200;
            src.Rgb.insert(src.Rgb.end(), {v, v, std::uint8_t(255 - v)});
        }
    }
    const int expected[32] = {40,  40,  40,  40,  40,  40,  40,  40,  40,  40,  40,
                              41,  45,  30,  23,  74,  166, 217, 210, 195, 199, 200,
                              200, 200, 200, 200, 200, 200, 200, 200, 200, 200};
    const TextureBitmap out = ResampleLanczos3(src, 32, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 32; ++x) {
            EXPECT_EQ(out.Texel(x, y)[0], expected[x]) << x;
            EXPECT_EQ(out.Texel(x, y)[1], expected[x]) << x;
            EXPECT_EQ(out.Texel(x, y)[2], std::clamp(255 - expected[x], 0, 255)) << x;
        }
    }
}

TEST(TexturePreparation, ResamplesOnlyWhenTheSizeChanges) {
    const QImage noise = Picture(12, 6, Noise);
    const TextureBitmap drawn = DrawPictureRgb24(noise);

    // The driver takes the size as it is: the texels are exactly the drawn ones, brightened.
    TextureBitmap brightened = drawn;
    ApplyBrightness(brightened, 1.5f);
    const TextureBitmap kept = PrepareTextureBitmap(noise, 1.5f, {true, 16384});
    EXPECT_EQ(kept.Width, 12);
    EXPECT_EQ(kept.Height, 6);
    EXPECT_EQ(kept.Rgb, brightened.Rgb);

    // A power-of-two driver: resampled from the brightened picture to 16 x 8.
    const TextureBitmap pot = PrepareTextureBitmap(noise, 1.5f, {false, 16384});
    EXPECT_EQ(pot.Width, 16);
    EXPECT_EQ(pot.Height, 8);
    EXPECT_EQ(pot.Rgb, ResampleLanczos3(brightened, 16, 8).Rgb);

    // Already a power of two: left alone even on such a driver.
    const QImage square = Picture(8, 4, Noise);
    EXPECT_EQ(PrepareTextureBitmap(square, 1.0f, {false, 16384}).Rgb, DrawPictureRgb24(square).Rgb);

    // A too large side is cut to the maximum.
    const TextureBitmap cut = PrepareTextureBitmap(Picture(200, 10, Noise), 1.0f, {true, 64});
    EXPECT_EQ(cut.Width, 64);
    EXPECT_EQ(cut.Height, 10);

    EXPECT_TRUE(PrepareTextureBitmap(QImage(), 1.5f, {}).Rgb.empty());
}
