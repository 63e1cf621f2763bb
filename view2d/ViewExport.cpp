#include "view2d/ViewExport.h"

#include "view2d/Stretch.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane::view2d {

namespace {

// Picture rows read from the file per call: about a million pixels at the widest picture.
constexpr int kBandPixels = 1 << 20;

// [start, start + length) kept inside [0, limit), as level indices.
void KeepInside(std::int64_t& start, std::int64_t& length, std::int64_t limit) {
    std::int64_t end = start + std::max<std::int64_t>(length, 1);
    start = std::clamp<std::int64_t>(start, 0, std::max<std::int64_t>(limit - 1, 0));
    end = std::clamp<std::int64_t>(end, start + 1, std::max<std::int64_t>(limit, 1));
    length = end - start;
}

std::vector<std::int64_t> SourceTable(int size, std::int64_t first, std::int64_t span) {
    std::vector<std::int64_t> table(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        table[static_cast<std::size_t>(i)] = StretchSourceIndex(i, size, first, span);
    }
    return table;
}

} // namespace

FileRect ShownFileRect(const ViewWindow& window, const ImageGeometry& image) {
    const SourceRect source = SourceRectangle(window, static_cast<int>(image.ImageHeight));
    std::int64_t column = source.X, width = source.Width;
    std::int64_t row = source.TopRow, height = source.Height;
    KeepInside(column, width, image.ImageWidth);
    KeepInside(row, height, image.ImageHeight);
    return {column * image.ColumnStep, row * image.RowStep, width * image.ColumnStep,
            height * image.RowStep};
}

PictureSize ExportSize(const FileRect& rect, int maxSide) {
    const std::int64_t longer = std::max(rect.Width, rect.Height);
    if (longer <= maxSide) {
        return {static_cast<int>(rect.Width), static_cast<int>(rect.Height)};
    }
    auto scaled = [&](std::int64_t side) {
        const double v = std::round(static_cast<double>(side) * maxSide / longer);
        return std::max(1, static_cast<int>(v));
    };
    return {rect.Width == longer ? maxSide : scaled(rect.Width),
            rect.Height == longer ? maxSide : scaled(rect.Height)};
}

std::int64_t ExportSource(int index, int size, std::int64_t first, std::int64_t span) {
    return StretchSourceIndex(index, size, first, span);
}

std::uint8_t LevelOfSample(std::optional<std::uint32_t> sample, int bitsPerSample,
                           bool minIsWhite) {
    if (!sample) {
        return 0;
    }
    const std::uint32_t level = bitsPerSample == 16 ? (*sample >> 8) & 0xFF : *sample & 0xFF;
    return static_cast<std::uint8_t>(minIsWhite ? 255 - level : level);
}

std::uint8_t LevelRule::Level(const image::StoredSample& sample) const {
    if (!sample)
        return 0;
    if (ValueRange)
        return image::LevelOfValue(*sample, ValueRange->first, ValueRange->second);
    return LevelOfSample(image::AsUnsignedSample(*sample), BitsPerSample, MinIsWhite);
}

LevelRule LevelRuleOf(const image::ImageModel& image) {
    LevelRule rule;
    rule.BitsPerSample = image.BitsPerSample;
    rule.MinIsWhite = image.Photometric == 0;
    if (image.LevelsFromValues)
        rule.ValueRange = std::pair{image.DataMin.value_or(0), image.DataMax.value_or(0)};
    return rule;
}

LevelPicture ExportFromLevels(const std::uint8_t* levels, const ImageGeometry& image,
                              const FileRect& rect, PictureSize size, std::atomic<int>* rowsDone,
                              const std::uint8_t* noDataMask) {
    LevelPicture picture{size.Width, size.Height, {}};
    if (levels == nullptr || size.Width <= 0 || size.Height <= 0) {
        return picture;
    }
    picture.Levels.resize(static_cast<std::size_t>(size.Width) * size.Height);
    const std::vector<std::int64_t> columns = SourceTable(size.Width, rect.Column, rect.Width);
    for (int y = 0; y < size.Height; ++y) {
        const std::int64_t row = StretchSourceIndex(y, size.Height, rect.Row, rect.Height);
        const std::uint8_t* source = levels + row * image.ImageWidth;
        std::uint8_t* dest = picture.Levels.data() + static_cast<std::size_t>(y) * size.Width;
        for (int x = 0; x < size.Width; ++x) {
            dest[x] = source[columns[static_cast<std::size_t>(x)]];
        }
        if (noDataMask) {
            const std::int64_t stride = image::MaskStride(image.ImageWidth);
            for (int x = 0; x < size.Width; ++x) {
                if (image::MaskBit(noDataMask, stride, columns[static_cast<std::size_t>(x)], row)) {
                    if (picture.NoData.empty())
                        picture.NoData.assign(picture.Levels.size(), 0);
                    picture.NoData[static_cast<std::size_t>(y) * size.Width + x] = 1;
                }
            }
        }
        if (rowsDone) {
            rowsDone->store(y + 1, std::memory_order_relaxed);
        }
    }
    return picture;
}

std::optional<LevelPicture> ExportFromReader(image::SampleReader& reader, const FileRect& rect,
                                             PictureSize size, const std::atomic<bool>* cancel,
                                             std::atomic<int>* rowsDone,
                                             const std::optional<LevelRule>& givenRule) {
    if (!reader.IsOpen()) {
        return std::nullopt;
    }
    LevelPicture picture{size.Width, size.Height, {}};
    if (size.Width <= 0 || size.Height <= 0) {
        return picture;
    }
    picture.Levels.resize(static_cast<std::size_t>(size.Width) * size.Height);
    const std::vector<std::int64_t> columns = SourceTable(size.Width, rect.Column, rect.Width);
    LevelRule rule;
    rule.BitsPerSample = reader.BitsPerSample();
    rule.MinIsWhite = reader.MinIsWhite();
    if (givenRule)
        rule = *givenRule;
    const int bandRows = std::max(1, kBandPixels / size.Width);
    std::vector<image::FilePixel> pixels;
    for (int top = 0; top < size.Height; top += bandRows) {
        const int bottom = std::min(size.Height, top + bandRows);
        pixels.clear();
        pixels.reserve(static_cast<std::size_t>(bottom - top) * size.Width);
        for (int y = top; y < bottom; ++y) {
            const std::int64_t row = StretchSourceIndex(y, size.Height, rect.Row, rect.Height);
            for (std::int64_t column : columns) {
                pixels.push_back({column, row});
            }
        }
        const auto samples = reader.Samples(pixels, cancel);
        if (!samples) {
            return std::nullopt;
        }
        std::uint8_t* dest = picture.Levels.data() + static_cast<std::size_t>(top) * size.Width;
        for (std::size_t i = 0; i < samples->size(); ++i) {
            const image::StoredSample& sample = (*samples)[i];
            dest[i] = rule.Level(sample);
            if (sample.state == image::StoredSample::State::Unreadable)
                ++picture.MissingPixels;
            if (sample.state == image::StoredSample::State::NoData) {
                if (picture.NoData.empty())
                    picture.NoData.assign(picture.Levels.size(), 0);
                picture.NoData[static_cast<std::size_t>(top) * size.Width + i] = 1;
            }
        }
        if (rowsDone) {
            rowsDone->store(bottom, std::memory_order_relaxed);
        }
    }
    return picture;
}

QImage IndexedPicture(const LevelPicture& levels, const QList<QRgb>& colours) {
    QImage picture(levels.Width, levels.Height, QImage::Format_Indexed8);
    if (picture.isNull()) {
        return picture;
    }
    picture.setColorTable(colours);
    for (int y = 0; y < levels.Height; ++y) {
        std::memcpy(picture.scanLine(y), levels.Levels.data() + std::size_t(y) * levels.Width,
                    std::size_t(levels.Width));
    }
    if (levels.NoData.empty()) {
        return picture;
    }
    // The no-data colour is in no palette: such a picture needs colours of its own.
    picture = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) {
        return picture;
    }
    for (int y = 0; y < levels.Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const std::uint8_t* marks = levels.NoData.data() + std::size_t(y) * levels.Width;
        for (int x = 0; x < levels.Width; ++x) {
            if (marks[x]) {
                line[x] = kNoDataColour;
            }
        }
    }
    return picture;
}

QString SuggestedViewFileName(const QString& shownFile, const QString& lastSaved) {
    const QFileInfo shown(shownFile);
    const QString folder =
        lastSaved.isEmpty() ? shown.absolutePath() : QFileInfo(lastSaved).absolutePath();
    return QDir(folder).filePath(shown.completeBaseName() + QStringLiteral("-view.png"));
}

} // namespace orvane::view2d
