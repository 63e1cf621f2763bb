#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

typedef struct tiff TIFF;

// A libtiff handle whose warnings and errors are collected instead of going to
// a terminal, so that the open routine can show them where they stop an open.
class TiffHandle {
public:
    static std::unique_ptr<TiffHandle> Open(const QString& path);
    ~TiffHandle();
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;

    TIFF* get() const { return tif_; }
    explicit operator bool() const { return tif_ != nullptr; }
    // Errors (and warnings) reported by the library since the handle was opened.
    const QStringList& Errors() const { return errors_; }
    QStringList TakeErrors();

    // Largest single allocation libtiff may make for one handle: strips, tiles
    // and tag arrays beyond this are refused, so a hostile header cannot make
    // the library allocate without bound.
    static constexpr std::int64_t kMaxSingleAllocation = 256LL * 1024 * 1024;

private:
    TiffHandle() = default;
    TIFF* tif_ = nullptr;
    QStringList errors_;
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
};

TiffTags ReadTiffTags(TIFF* tif);

// True when the file's version field holds 43 (BigTIFF), in either byte order.
bool IsBigTiff(const QString& path);
