// Broken and hostile files through the whole open path without a window: each
// gives a defined outcome (a message, or levels), never a crash, a hang or an
// allocation beyond the sizing rules. Run under ASan/UBSan in CI.
#include "image/OpenImage.h"
#include "image/Sizing.h"
#include "tests/support/TiffSurgery.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

using namespace orvane::image;
using namespace orvane::test;
using orvane::tools::TiffLayout;

// 64 x 48, 16-bit, 6 uncompressed strips of 8 rows: level (x, y) = (x + y) & 0xFF.
constexpr std::uint32_t kWidth = 64, kHeight = 48, kRowsPerStrip = 8;

std::uint32_t Diagonal(std::uint32_t x, std::uint32_t y, int) {
    return ((x + y) & 0xFF) << 8;
}

TiffLayout Base() {
    TiffLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    layout.rowsPerStrip = kRowsPerStrip;
    return layout;
}

QByteArray Good() {
    return TiffBytes(Base(), Diagonal);
}

QByteArray With(void (*change)(TiffLayout&)) {
    TiffLayout layout = Base();
    change(layout);
    return TiffBytes(layout, Diagonal);
}

QByteArray Patched(std::uint16_t tag, std::uint32_t value, QByteArray bytes = Good()) {
    EXPECT_TRUE(surgery::SetTagValues(bytes, tag, value)) << "tag " << tag;
    return bytes;
}

QByteArray CutTail(int bytes) {
    const QByteArray whole = surgery::DirectoryFirst(Good());
    return whole.left(whole.size() - bytes);
}

struct Expected {
    OpenOutcome outcome;
    QStringList messages;            // exact texts (rejections)
    QString firstMessageStart;       // or: how the only message starts
    std::int64_t keptWidth = kWidth; // for Read: buffer size
    std::int64_t keptHeight = kHeight;
    std::int64_t unreadableRows = 0; // for Read: rows counted as lost
    std::int64_t goodKeptRows = -1;  // for Read: leading kept rows that hold the diagonal
};

struct Case {
    const char* name;
    QByteArray (*make)();
    Expected expected;
};

const QString kUnopenable = QStringLiteral("Can't open \"case.tif\": it is not a TIFF file");
constexpr auto Read = OpenOutcome::Shown;
constexpr auto Rejected = OpenOutcome::Rejected;
constexpr auto NotSized = OpenOutcome::NotSized;
constexpr auto Unopenable = OpenOutcome::Unopenable;

const Case kCases[] = {
    {"intact file", Good, {Read, {}, {}, kWidth, kHeight, 0, kHeight}},
    {"directory first, intact",
     [] { return surgery::DirectoryFirst(Good()); },
     {Read, {}, {}, kWidth, kHeight, 0, kHeight}},
    // Truncated at several points.
    {"empty file", [] { return QByteArray(); }, {Unopenable, {}, kUnopenable}},
    {"header only", [] { return Good().left(8); }, {Unopenable, {}, kUnopenable}},
    {"cut inside the directory",
     [] { return surgery::DirectoryFirst(Good()).left(40); },
     {Unopenable, {}, kUnopenable}},
    {"cut one byte into the last strip",
     [] { return CutTail(1); },
     {Read, {}, "8 of the 48 rows of \"case.tif\" could not be read", kWidth, kHeight, 8, 40}},
    {"cut one and a half strips",
     [] { return CutTail(1024 + 512); },
     {Read, {}, "16 of the 48 rows", kWidth, kHeight, 16, 32}},
    {"all pixel data cut",
     [] { return CutTail(6 * 1024); },
     {Read, {}, "48 of the 48 rows", kWidth, kHeight, 48, 0}},
    // Header damage.
    {"wrong byte-order mark",
     [] {
         auto b = Good();
         b[0] = b[1] = 'X';
         return b;
     },
     {Unopenable, {}, kUnopenable}},
    {"directory offset beyond the end",
     [] {
         auto b = Good();
         surgery::SetFirstIfd(b, std::uint32_t(b.size()) + 100);
         return b;
     },
     {Unopenable, {}, kUnopenable}},
    {"directory chain looping to itself",
     [] {
         auto b = Good();
         surgery::PutU32(b, surgery::NextIfdField(b), surgery::FirstIfd(b));
         return b;
     },
     {Read, {}, {}, kWidth, kHeight, 0, kHeight}},
    {"zero width", [] { return Patched(TIFFTAG_IMAGEWIDTH, 0); }, {Unopenable, {}, kUnopenable}},
    {"zero height", [] { return Patched(TIFFTAG_IMAGELENGTH, 0); }, {Unopenable, {}, kUnopenable}},
    {"width 1",
     [] { return With([](TiffLayout& s) { s.width = 1; }); },
     {NotSized, {"Can't open image, it is narrower than 4 pixels!"}, {}}},
    {"width 3",
     [] { return With([](TiffLayout& s) { s.width = 3; }); },
     {NotSized, {"Can't open image, it is narrower than 4 pixels!"}, {}}},
    {"width 5 keeps 4 columns",
     [] { return With([](TiffLayout& s) { s.width = 5; }); },
     {Read, {}, {}, 4, kHeight, 0, kHeight}},
    {"height 1",
     [] { return With([](TiffLayout& s) { s.height = 1; }); },
     {Read, {}, {}, kWidth, 1, 0, 1}},
    {"strip offsets past the end",
     [] { return Patched(TIFFTAG_STRIPOFFSETS, std::uint32_t(Good().size()) + 4096); },
     {Read, {}, "48 of the 48 rows", kWidth, kHeight, 48, 0}},
    {"strip byte counts past the end",
     [] { return Patched(TIFFTAG_STRIPBYTECOUNTS, 0xFFFF); },
     {Read, {}, "48 of the 48 rows", kWidth, kHeight, 48, 0}},
    // Data the viewer cannot show as heights.
    {"compression unknown to the library",
     [] { return Patched(TIFFTAG_COMPRESSION, 60000); },
     {Rejected, {"Compression not supported!"}, {}}},
    {"12 bits per sample",
     [] { return With([](TiffLayout& s) { s.bitsPerSample = 12; }); },
     {Rejected, {"Not a 8/16 bit file!"}, {}}},
    {"16-bit floating point",
     [] {
         return With([](TiffLayout& s) {
             s.bitsPerSample = 16;
             s.sampleFormat = SAMPLEFORMAT_IEEEFP;
         });
     },
     {Rejected, {"Not a 32/64 bit floating-point file!"}, {}}},
    {"complex integers",
     [] { return With([](TiffLayout& s) { s.sampleFormat = SAMPLEFORMAT_COMPLEXINT; }); },
     {Rejected, {"Not an integer or floating-point file!"}, {}}},
    {"16-bit explicitly unsigned",
     [] { return With([](TiffLayout& s) { s.sampleFormat = SAMPLEFORMAT_UINT; }); },
     {Read, {}, {}, kWidth, kHeight, 0, kHeight}},
    {"planar configuration 2 with one sample",
     [] { return With([](TiffLayout& s) { s.planar = PLANARCONFIG_SEPARATE; }); },
     {Read, {}, {}, kWidth, kHeight, 0, kHeight}},
};

class MalformedFile : public ::testing::TestWithParam<Case> {
protected:
    QTemporaryDir dir;

    OpenedImage Open(const QByteArray& bytes) {
        const QString path = dir.filePath(QStringLiteral("case.tif"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        return OpenWithoutWindow(TiffSource::File(path));
    }
};

TEST_P(MalformedFile, HasItsDefinedOutcome) {
    const Case& c = GetParam();
    const Expected& e = c.expected;
    const OpenedImage image = Open(c.make());
    ASSERT_EQ(image.result.outcome, e.outcome) << image.messages.join(" | ").toStdString();
    if (!e.messages.isEmpty()) {
        EXPECT_EQ(image.messages, e.messages);
    }
    if (!e.firstMessageStart.isEmpty()) {
        ASSERT_EQ(image.messages.size(), 1) << image.messages.join(" | ").toStdString();
        EXPECT_TRUE(image.messages[0].startsWith(e.firstMessageStart))
            << image.messages[0].toStdString();
    }
    if (e.outcome != Read) {
        EXPECT_FALSE(image.model.SampleBuffer);
        return;
    }
    if (e.firstMessageStart.isEmpty()) {
        EXPECT_TRUE(image.messages.isEmpty()) << image.messages.join(" | ").toStdString();
    }
    ASSERT_TRUE(image.model.SampleBuffer);
    ASSERT_EQ(image.model.ImageWidth, e.keptWidth);
    ASSERT_EQ(image.model.ImageHeight, e.keptHeight);
    EXPECT_EQ(image.result.read.unreadableRows, e.unreadableRows);
    for (std::int64_t y = 0; y < e.keptHeight; ++y)
        for (std::int64_t x = 0; x < e.keptWidth; ++x) {
            const int expected = y < e.goodKeptRows ? int((x + y) & 0xFF) : 0;
            ASSERT_EQ(image.model.SampleBuffer.get()[y * e.keptWidth + x], expected)
                << x << "," << y;
        }
}

// The viewer opens paths and the fuzzer memory blocks: both must take the same
// road to the same result.
TEST_P(MalformedFile, MemoryBlockGivesTheSameResultAsTheFile) {
    const QByteArray bytes = GetParam().make();
    const OpenedImage fromFile = Open(bytes);
    const OpenedImage fromMemory = OpenWithoutWindow(TiffSource::Memory(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    ASSERT_EQ(fromMemory.result.outcome, fromFile.result.outcome);
    QStringList fileMessages = fromFile.messages;
    fileMessages.replaceInStrings(QStringLiteral("\"case.tif\""), QStringLiteral("\"memory\""));
    // The library names its input in its own details; compare the first lines.
    auto firstLines = [](QStringList messages) {
        for (QString& m : messages)
            m = m.section(QLatin1Char('\n'), 0, 0);
        return messages;
    };
    EXPECT_EQ(firstLines(fromMemory.messages), firstLines(fileMessages));
    EXPECT_EQ(fromMemory.result.read.unreadableRows, fromFile.result.read.unreadableRows);
    ASSERT_EQ(bool(fromMemory.model.SampleBuffer), bool(fromFile.model.SampleBuffer));
    if (fromFile.model.SampleBuffer) {
        const std::size_t count =
            std::size_t(fromFile.model.ImageWidth * fromFile.model.ImageHeight);
        EXPECT_TRUE(std::equal(fromFile.model.SampleBuffer.get(),
                               fromFile.model.SampleBuffer.get() + count,
                               fromMemory.model.SampleBuffer.get()));
    }
}

// A min-is-white file's levels are inverted after the read, all but those of
// rows that could not be read: they stay level 0, as the message says.
struct LostRowsCase {
    const char* name;
    QByteArray (*make)();
    std::int64_t firstLost, endLost; // the lost rows; -1: some, unknown which
};

QByteArray MinIsWhite(std::uint16_t compression = COMPRESSION_NONE) {
    TiffLayout layout = Base();
    layout.photometric = PHOTOMETRIC_MINISWHITE;
    layout.compression = compression;
    return TiffBytes(layout, Diagonal);
}

const LostRowsCase kLostRows[] = {
    {"a strip in the middle outside the file",
     [] {
         QByteArray b = MinIsWhite();
         EXPECT_TRUE(surgery::SetTagValue(b, TIFFTAG_STRIPOFFSETS, 2, std::uint32_t(b.size())));
         return b;
     },
     16, 24},
    {"the last strip and a half cut off",
     [] {
         const QByteArray b = surgery::DirectoryFirst(MinIsWhite());
         return b.left(b.size() - 1024 - 512);
     },
     32, 48},
    {"every strip outside the file",
     [] {
         QByteArray b = MinIsWhite();
         EXPECT_TRUE(surgery::SetTagValues(b, TIFFTAG_STRIPOFFSETS, std::uint32_t(b.size())));
         return b;
     },
     0, 48},
    {"garbage inside an LZW strip",
     [] {
         QByteArray b = MinIsWhite(COMPRESSION_LZW);
         const std::uint32_t at = *surgery::TagValue(b, TIFFTAG_STRIPOFFSETS, 2);
         for (int i = 0; i < 8; ++i)
             b[at + 20 + i] = char(0xFF);
         return b;
     },
     -1, -1},
};

TEST(MinIsWhite, LostRowsStayAtLevelZero) {
    QTemporaryDir dir;
    for (const LostRowsCase& c : kLostRows) {
        const QString path = dir.filePath(QStringLiteral("white.tif"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.make());
        file.close();
        const OpenedImage image = OpenWithoutWindow(TiffSource::File(path));
        ASSERT_EQ(image.result.outcome, OpenOutcome::Shown) << c.name;
        ASSERT_EQ(image.model.ImageHeight, kHeight) << c.name;
        EXPECT_GT(image.result.read.unreadableRows, 0) << c.name;
        // The file's levels never reach 255, so no inverted row is 0.
        std::int64_t lostRows = 0;
        for (std::int64_t y = 0; y < kHeight; ++y) {
            const std::uint8_t* row = image.model.SampleBuffer.get() + y * kWidth;
            const bool lost = c.firstLost >= 0 ? y >= c.firstLost && y < c.endLost : row[0] == 0;
            lostRows += lost;
            for (std::int64_t x = 0; x < kWidth; ++x)
                ASSERT_EQ(row[x], lost ? 0 : 255 - int((x + y) & 0xFF))
                    << c.name << ": " << x << "," << y;
        }
        EXPECT_EQ(lostRows, image.result.read.unreadableRows) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

} // namespace
