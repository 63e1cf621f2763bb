#pragma once
#include "image/GeoTiff.h"
#include "image/TiffSource.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

typedef struct tiff TIFF;

namespace orvane::image {

// A libtiff handle whose warnings and errors are collected instead of going to
// a terminal, so that the open routine can show them where they stop an open.
class TiffHandle {
public:
    // How the library reaches a file's bytes. Mapped suits a read that ends
    // before the file can change. A handle kept open while the file is shown
    // reads without a mapping: touching a mapped page that a truncation on disk
    // has cut off kills the process (SIGBUS), whereas a read past the new end
    // just comes back short and the library reports an error.
    enum class FileAccess { Mapped, Unmapped };

    // Always returns a handle; it is empty (false) when the library refused the
    // source, and TakeErrors() then says why.
    static std::unique_ptr<TiffHandle> Open(const TiffSource& source,
                                            FileAccess access = FileAccess::Mapped);
    ~TiffHandle();
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;

    TIFF* get() const { return tif_; }
    explicit operator bool() const { return tif_ != nullptr; }
    // Errors (and warnings) reported by the library since the handle was opened
    // or last taken. At most kMaxCollectedMessages are kept: a broken file can
    // make the library complain once per row, and millions of rows must not
    // turn into millions of strings.
    QStringList TakeErrors();
    static constexpr int kMaxCollectedMessages = 20;

    // The collected messages and the count of those left out past the cap,
    // without the summary line TakeErrors adds: a read over several handles
    // merges them into one list, capped as a single handle would cap it.
    struct Messages {
        QStringList kept;
        int omitted = 0;
    };
    Messages TakeMessages();
    bool HasMessages() const { return !errors_.isEmpty() || omittedMessages_ > 0; }
    // The line that stands for `omitted` messages left out.
    static QString OmittedMessagesLine(int omitted);

    // Size in bytes of the file or memory block behind the handle.
    std::uint64_t SourceSize() const { return sourceSize_; }

    // Largest single allocation libtiff may make for one handle: strips, tiles
    // and tag arrays beyond this are refused, so a hostile header cannot make
    // the library allocate without bound.
    static constexpr std::int64_t kMaxSingleAllocation = 256LL * 1024 * 1024;

private:
    TiffHandle() = default;
    TIFF* tif_ = nullptr;
    QStringList errors_;
    int omittedMessages_ = 0;
    std::uint64_t sourceSize_ = 0;
    // The source and the handle's own read position in it. A file source's
    // descriptor is shared with every other reader of the source.
    TiffSource source_;
    std::shared_ptr<const SourceFile> file_;
    std::uint64_t offset_ = 0;
    friend struct TiffHandleAccess;
};

// The tags the open routine reads. Numeric fields hold the defaults used when
// the library yields no value for the tag.
struct TiffTags {
    std::optional<std::uint32_t> ImageWidth;
    std::optional<std::uint32_t> ImageLength;
    std::optional<float> XResolution;
    std::uint16_t BitsPerSample = 1;
    std::uint16_t Photometric = 0;
    std::uint16_t SamplesPerPixel = 1;
    std::uint16_t Compression = 0;
    std::uint16_t ResolutionUnit = 2;
    std::uint16_t MaxSampleValue = 0;
    std::uint16_t MinSampleValue = 0;
    std::uint16_t SampleFormat = 1; // 1 unsigned, 2 signed, 3 floating point
    QString DateTime, Software, Make, Model, ImageDescription;
    std::optional<NoDataValue> NoData; // GDAL_NODATA
    GeoReference Geo;
};

TiffTags ReadTiffTags(TIFF* tif);

// Whether the bytes of strip or tile `strile` lie inside a source of `sourceBytes`. Anything
// else is not handed to the library, which would otherwise allocate and seek for it.
struct StrileBytes {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
};
std::optional<StrileBytes> StrileInSource(TIFF* tif, std::uint32_t strile,
                                          std::uint64_t sourceBytes);

// True when the file's version field holds 43 (BigTIFF), in either byte order.
bool IsBigTiff(const TiffSource& source);

} // namespace orvane::image
