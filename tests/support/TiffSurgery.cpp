#include "tests/support/TiffSurgery.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace orvane::test {

QByteArray TiffBytes(const TiffLayout& layout, const SampleFunction& sample) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.tif"));
    if (!tools::WriteTiff(path, layout, sample))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray TiffValueBytes(const TiffLayout& layout,
                          const std::function<double(std::uint32_t, std::uint32_t)>& value) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.tif"));
    if (!tools::WriteTiffValues(path, layout, value))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

namespace surgery {

namespace {
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
} // namespace

bool BigEndian(const QByteArray& tiff) {
    return tiff.size() >= 2 && tiff[0] == 'M';
}

std::uint32_t U32(const QByteArray& t, qint64 at) {
    if (at < 0 || at + 4 > t.size())
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(t.constData() + at);
    return BigEndian(t) ? (std::uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3])
                        : (std::uint32_t(b[3]) << 24 | b[2] << 16 | b[1] << 8 | b[0]);
}

std::uint16_t U16(const QByteArray& t, qint64 at) {
    if (at < 0 || at + 2 > t.size())
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(t.constData() + at);
    return BigEndian(t) ? std::uint16_t(b[0] << 8 | b[1]) : std::uint16_t(b[1] << 8 | b[0]);
}

void PutU32(QByteArray& t, qint64 at, std::uint32_t v) {
    if (at < 0 || at + 4 > t.size())
        return;
    for (int i = 0; i < 4; ++i) {
        const int shift = BigEndian(t) ? 24 - 8 * i : 8 * i;
        t[at + i] = char((v >> shift) & 0xFF);
    }
}

void PutU16(QByteArray& t, qint64 at, std::uint16_t v) {
    if (at < 0 || at + 2 > t.size())
        return;
    t[at] = char(BigEndian(t) ? v >> 8 : v & 0xFF);
    t[at + 1] = char(BigEndian(t) ? v & 0xFF : v >> 8);
}

std::uint32_t FirstIfd(const QByteArray& t) {
    return U32(t, 4);
}
void SetFirstIfd(QByteArray& t, std::uint32_t offset) {
    PutU32(t, 4, offset);
}

qint64 NextIfdField(const QByteArray& t) {
    const qint64 ifd = FirstIfd(t);
    return ifd + 2 + 12 * qint64(U16(t, ifd));
}

std::optional<qint64> TagEntry(const QByteArray& t, std::uint16_t tag) {
    const qint64 ifd = FirstIfd(t);
    const int count = U16(t, ifd);
    for (int i = 0; i < count; ++i) {
        const qint64 entry = ifd + 2 + 12 * qint64(i);
        if (U16(t, entry) == tag)
            return entry;
    }
    return std::nullopt;
}

namespace {
// Offset of value `index` of a SHORT or LONG entry, inline or not.
std::optional<qint64> ValueOffset(const QByteArray& t, qint64 entry, int index) {
    const std::uint16_t type = U16(t, entry + 2);
    const std::uint32_t count = U32(t, entry + 4);
    if ((type != kShort && type != kLong) || index < 0 || std::uint32_t(index) >= count)
        return std::nullopt;
    const int width = type == kShort ? 2 : 4;
    const qint64 base = qint64(count) * width <= 4 ? entry + 8 : qint64(U32(t, entry + 8));
    return base + qint64(index) * width;
}
} // namespace

bool SetTagValues(QByteArray& t, std::uint16_t tag, std::uint32_t value) {
    const auto entry = TagEntry(t, tag);
    if (!entry)
        return false;
    bool isShort = U16(t, *entry + 2) == kShort;
    const std::uint32_t count = U32(t, *entry + 4);
    if (isShort && value > 0xFFFF) {
        if (count != 1)
            return false; // an array of SHORTs cannot grow in place
        PutU16(t, *entry + 2, kLong);
        isShort = false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto at = ValueOffset(t, *entry, int(i));
        if (!at)
            return false;
        if (isShort)
            PutU16(t, *at, std::uint16_t(value));
        else
            PutU32(t, *at, value);
    }
    return count > 0;
}

bool SetTagValue(QByteArray& t, std::uint16_t tag, int index, std::uint32_t value) {
    const auto entry = TagEntry(t, tag);
    const auto at = entry ? ValueOffset(t, *entry, index) : std::nullopt;
    if (!at)
        return false;
    if (U16(t, *entry + 2) == kShort) {
        if (value > 0xFFFF)
            return false;
        PutU16(t, *at, std::uint16_t(value));
    } else {
        PutU32(t, *at, value);
    }
    return true;
}

std::optional<std::uint32_t> TagValue(const QByteArray& t, std::uint16_t tag, int index) {
    const auto entry = TagEntry(t, tag);
    if (!entry)
        return std::nullopt;
    const auto at = ValueOffset(t, *entry, index);
    if (!at)
        return std::nullopt;
    return U16(t, *entry + 2) == kShort ? U16(t, *at) : U32(t, *at);
}

QByteArray DirectoryFirst(const QByteArray& t) {
    const auto stripCount = TagEntry(t, 273) ? U32(t, *TagEntry(t, 273) + 4) : 0;
    std::uint32_t dataEnd = 8;
    for (std::uint32_t i = 0; i < stripCount; ++i)
        dataEnd = std::max(dataEnd, *TagValue(t, 273, int(i)) + *TagValue(t, 279, int(i)));
    const std::uint32_t dataBytes = dataEnd - 8;
    const std::uint32_t tailBytes = std::uint32_t(t.size()) - dataEnd;
    // Pixel data moves back by the directory's size; the directory moves forward.
    auto moved = [&](std::uint32_t offset) {
        return offset >= dataEnd ? offset - dataBytes : offset + tailBytes;
    };
    QByteArray out = t.left(8) + t.mid(dataEnd) + t.mid(8, dataBytes);
    const std::uint32_t ifd = moved(FirstIfd(t));
    SetFirstIfd(out, ifd);
    const int count = U16(out, ifd);
    for (int i = 0; i < count; ++i) {
        const qint64 entry = ifd + 2 + 12 * qint64(i);
        const std::uint16_t type = U16(out, entry + 2);
        static const int kTypeBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
        const int unit = type < 13 ? kTypeBytes[type] : 1;
        if (qint64(U32(out, entry + 4)) * unit > 4)
            PutU32(out, entry + 8, moved(U32(out, entry + 8)));
    }
    for (std::uint32_t i = 0; i < stripCount; ++i) {
        const auto at = ValueOffset(out, *TagEntry(out, 273), int(i));
        PutU32(out, *at, moved(U32(out, *at)));
    }
    return out;
}

} // namespace surgery

} // namespace orvane::test
