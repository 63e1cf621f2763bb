#pragma once
#include "image/TiffSource.h"
#include "image/ValueMapping.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace orvane::image {

// A file pixel: column from the left, row from the top (row 0 is the file's first row).
struct FilePixel {
    std::int64_t Column = 0;
    std::int64_t Row = 0;
};

// What the file holds at a pixel: its stored value, or why there is none.
struct StoredSample {
    enum class State {
        Value,      // `value` is the stored value
        NoData,     // the file marks the pixel as having no value (`value` as stored)
        Unreadable, // outside the image, or the file's data there cannot be read
    };
    State state = State::Unreadable;
    double value = 0;

    static StoredSample Of(double v) { return {State::Value, v}; }
    // As an optional value: true with a value, which * gives.
    explicit operator bool() const { return state == State::Value; }
    double operator*() const { return value; }
    double value_or(double fallback) const { return *this ? value : fallback; }
};

// Compared as an optional value: equal to nullopt without a value, to a number with that value.
inline bool operator==(const StoredSample& s, std::nullopt_t) {
    return !s;
}
template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
bool operator==(const StoredSample& s, T value) {
    return s && s.value == double(value);
}
template <class T> bool operator==(const StoredSample& s, const std::optional<T>& value) {
    return value ? s == *value : !s;
}
template <class T> bool operator!=(const StoredSample& s, const T& value) {
    return !(s == value);
}

// What the cache alone knows about a pixel, found without waiting for a decode.
struct CachedLookup {
    enum class State {
        Hit,     // `sample` is what the file holds there
        NoValue, // outside the image, or the reader did not open: no value will ever come
        Miss,    // not decoded yet, or the reader is busy: ask Sample() off this thread
    };
    State state = State::Miss;
    StoredSample sample; // meaningful for Hit only
};

// The stored samples of a greyscale TIFF at full file resolution, for any pixel, as the file
// holds them (no inversion for min-is-white, every bit, the sample's own type), with the
// pixels the file marks as having no value (NaN and infinity in floating-point files) said
// as such. Strips and tiles are decoded whole
// on demand and kept in a least-recently-used cache bounded in bytes; a strip or tile larger
// than a quarter of the bound is decoded and kept in bands of rows instead, so a file written
// as one huge strip cannot blow the bound.
//
// The reader keeps its own library handle open for as long as it lives, reading the file
// without a memory mapping: a file truncated or rewritten on disk meanwhile gives no value
// where its bytes are missing or do not decode, never a crash. Values already decoded stay
// cached, as the file was when they were read. A strip or tile that cannot be read is tried
// at most once per call and tried again by a later call, since the file may be restored.
//
// One mutex guards the library handle and the cache: Sample() and Samples() may run on a
// worker thread while the user-interface thread asks TryCachedSample(), which never waits.
class SampleReader {
public:
    static constexpr std::int64_t kDefaultCacheBytes = 64LL << 20;

    // A memory source's block must outlive the reader.
    explicit SampleReader(const TiffSource& source,
                          std::int64_t cacheBoundBytes = kDefaultCacheBytes);
    ~SampleReader();
    SampleReader(const SampleReader&) = delete;
    SampleReader& operator=(const SampleReader&) = delete;

    bool IsOpen() const;
    // Why the file could not be opened for sample reading, in the library's words where it
    // gave any; empty when it opened.
    QString OpenError() const;

    std::int64_t Width() const;
    std::int64_t Height() const;
    int BitsPerSample() const; // 8, 16, 32 or 64 once open
    SampleFormat Format() const;
    bool MinIsWhite() const;

    // The stored sample at (column, row); nothing outside the image or where the file's bytes
    // cannot be read. Decodes when needed, so it may take as long as one strip or tile takes.
    StoredSample Sample(std::int64_t column, std::int64_t row);

    // The sample if it is cached, without ever blocking: when another thread holds the reader
    // (decoding) the answer is Miss.
    CachedLookup TryCachedSample(std::int64_t column, std::int64_t row);

    // The samples of many pixels in one call, in the order given. Pixels are visited in
    // storage order, so each strip or tile (or band) is decoded at most once per call however
    // the pixels are ordered; the lock is taken once per strip or tile, so TryCachedSample()
    // is served in between. Nothing when `cancel` became true before the end.
    std::optional<std::vector<StoredSample>> Samples(const std::vector<FilePixel>& pixels,
                                                     const std::atomic<bool>* cancel = nullptr);

    // What the library reported while reading since the last call.
    QStringList TakeReadErrors();

    std::int64_t CacheBoundBytes() const;
    std::int64_t CachedBytes() const;
    // Bytes the library has decoded for this reader so far, counting the rows it decodes and
    // drops to reach a row inside a strip read in bands: the work the cache saves.
    std::int64_t DecodedBytes() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Height in millimetres of a stored sample of a `bitsPerSample`-bit file: with S' = S, or
// (2^B - 1) - S for min-is-white, ZMin + (ZMax - ZMin) * S' / (2^B - 1). For 8-bit files this
// equals the height of the displayed level exactly. Nothing when the height range is unknown
// (ZMin == ZMax, or not finite) or the sample does not fit the bit depth.
std::optional<double> SampleHeightMm(std::uint32_t sample, int bitsPerSample, bool minIsWhite,
                                     double zMinMm, double zMaxMm);

// A stored value as an unsigned sample: nothing unless it is a whole number of 0 .. 2^32 - 1.
std::optional<std::uint32_t> AsUnsignedSample(double value);

// The same height of a stored value; nothing for a value no unsigned sample holds.
std::optional<double> SampleHeightMm(double sample, int bitsPerSample, bool minIsWhite,
                                     double zMinMm, double zMaxMm);

} // namespace orvane::image
