#pragma once

// The 2D view window at file resolution, for saving what the view shows with every file pixel
// it covers: which file pixels the window shows, the picture's size, and its levels, read from
// the level buffer where it holds every pixel or from the file's exact samples where the file
// was thinned. Levels only; the caller adds the palette.

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/ImageModel.h"
#include "image/SampleReader.h"
#include "view2d/NoDataColour.h"
#include "view2d/Viewport.h"

#include <QImage>
#include <QList>
#include <QString>

namespace orvane::view2d {

// File pixels, row 0 the file's first row.
struct FileRect {
    std::int64_t Column = 0;
    std::int64_t Row = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// The file pixels behind the whole levels the view paints (SourceRectangle), kept inside the
// buffer: each level stands for ColumnStep x RowStep file pixels.
FileRect ShownFileRect(const ViewWindow& window, const ImageGeometry& image);

struct PictureSize {
    int Width = 0;
    int Height = 0;
};

// The longest side a file-resolution picture may have.
constexpr int kMaxExportSide = 16384;

// The rect's own size, or, when a side passes `maxSide`, scaled down keeping its shape so that
// the longer side is `maxSide` (the shorter one rounded, at least 1).
PictureSize ExportSize(const FileRect& rect, int maxSide = kMaxExportSide);

// The file pixel behind picture pixel `index` of `size` pixels spanning `span` file pixels from
// `first`: StretchSourceIndex, so the picture samples exactly as the view's stretch does; the
// identity when size == span.
std::int64_t ExportSource(int index, int size, std::int64_t first, std::int64_t span);

// The display level of a stored sample, as the open reads it: 16-bit samples keep their high
// byte, min-is-white files are inverted; a pixel without a value is level 0, as an unreadable
// row is.
std::uint8_t LevelOfSample(std::optional<std::uint32_t> sample, int bitsPerSample, bool minIsWhite);

// Row-major levels, Width bytes a row.
struct LevelPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Levels;
    // Pixels whose samples could not be read from the file: level 0.
    std::int64_t MissingPixels = 0;
    // One byte a pixel, 1 where the file marks the pixel as having no value (level 0); empty
    // when none is.
    std::vector<std::uint8_t> NoData{};
};

// The level of a stored sample as the open made the levels: the high-byte rule (LevelOfSample)
// for unsigned 8- and 16-bit samples, or the value over the image's value range.
struct LevelRule {
    int BitsPerSample = 16;
    bool MinIsWhite = false;
    std::optional<std::pair<double, double>> ValueRange; // set: levels from values over it
    std::uint8_t Level(const image::StoredSample& sample) const;
};
LevelRule LevelRuleOf(const image::ImageModel& image);

// Both exports count the picture rows they have finished in `rowsDone` (when given), for a
// progress bar on another thread.

// From the level buffer of an image that is not thinned (buffer level = file pixel).
// With the image's no-data mask (null: none).
LevelPicture ExportFromLevels(const std::uint8_t* levels, const ImageGeometry& image,
                              const FileRect& rect, PictureSize size,
                              std::atomic<int>* rowsDone = nullptr,
                              const std::uint8_t* noDataMask = nullptr);

// From the file's stored samples, a band of rows per call of the reader so that memory stays
// bounded whatever the size. Nothing when the reader is not open or `cancel` became true.
// Levels as `rule` makes them (the reader's own depth and photometric when not given).
std::optional<LevelPicture> ExportFromReader(image::SampleReader& reader, const FileRect& rect,
                                             PictureSize size,
                                             const std::atomic<bool>* cancel = nullptr,
                                             std::atomic<int>* rowsDone = nullptr,
                                             const std::optional<LevelRule>& rule = std::nullopt);

// The picture of `levels` in the colours of `colours` (a palette's 256 colours, index =
// level), pixels without a value in kNoDataColour; a null image when its memory cannot be had.
QImage IndexedPicture(const LevelPicture& levels, const QList<QRgb>& colours);

// The name a save of the view suggests: the shown file's own name with "-view.png", in the
// folder of `lastSaved` (the file the last save wrote), or else the shown file's folder.
QString SuggestedViewFileName(const QString& shownFile, const QString& lastSaved);

} // namespace orvane::view2d
