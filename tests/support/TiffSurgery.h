#pragma once
#include "tools/TiffWriter.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>

namespace orvane::test {

using tools::TiffLayout;

// Builds TIFF files in memory with libtiff and then breaks them on purpose:
// the malformed-file tests and the fuzzer's seed corpus both start from here.
// The surgery understands classic TIFF (version 42) in either byte order.

using SampleFunction = std::function<std::uint32_t(std::uint32_t x, std::uint32_t y, int s)>;

// The bytes libtiff writes for `layout` (through a temporary file).
QByteArray TiffBytes(const TiffLayout& layout, const SampleFunction& sample);
// The same with a value per pixel, in the layout's sample format (see WriteTiffValues).
QByteArray TiffValueBytes(const TiffLayout& layout,
                          const std::function<double(std::uint32_t x, std::uint32_t y)>& value);

namespace surgery {

bool BigEndian(const QByteArray& tiff);
std::uint32_t U32(const QByteArray& tiff, qint64 at);
std::uint16_t U16(const QByteArray& tiff, qint64 at);
void PutU32(QByteArray& tiff, qint64 at, std::uint32_t value);
void PutU16(QByteArray& tiff, qint64 at, std::uint16_t value);

std::uint32_t FirstIfd(const QByteArray& tiff);
void SetFirstIfd(QByteArray& tiff, std::uint32_t offset);
// Byte offset of the first directory's "next directory" field.
qint64 NextIfdField(const QByteArray& tiff);

// Byte offset of the 12-byte entry of `tag` in the first directory.
std::optional<qint64> TagEntry(const QByteArray& tiff, std::uint16_t tag);
// Sets every value of a SHORT or LONG tag, inline or stored elsewhere. A single
// SHORT becomes a LONG when the value needs it.
bool SetTagValues(QByteArray& tiff, std::uint16_t tag, std::uint32_t value);
// Sets value `index` of a SHORT or LONG tag, such as one strip's offset.
bool SetTagValue(QByteArray& tiff, std::uint16_t tag, int index, std::uint32_t value);
// The values of a SHORT or LONG tag.
std::optional<std::uint32_t> TagValue(const QByteArray& tiff, std::uint16_t tag, int index = 0);

// The same file with its directory (and the directory's out-of-line values)
// moved in front of the pixel data, as many scanners write it: cutting bytes
// off the end then loses pixels, not the directory. libtiff writes the pixel
// data first, from byte 8, and the directory after it.
QByteArray DirectoryFirst(const QByteArray& tiff);

} // namespace surgery

} // namespace orvane::test
