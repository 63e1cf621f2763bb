// A file source is one open file: everything that reads it, the open's
// examination, the reading threads, their byte reads and the exact reader,
// goes through the descriptor the source opened. Another file put at the path
// meanwhile changes nothing, and no reader opens the path again.
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"
#include "tests/support/TiffSurgery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdarg>
#include <cstdio>
#include <dirent.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;
using namespace orvane::test;
using orvane::tools::TiffLayout;

constexpr std::uint32_t kWidth = 40, kHeight = 64;

std::uint32_t First(std::uint32_t x, std::uint32_t y) {
    return ((x * 5 + y * 3) % 251) << 8 | (x ^ y);
}
std::uint32_t Second(std::uint32_t x, std::uint32_t y) {
    return ((x + y * 7) % 13 + 200) << 8;
}

QByteArray FileBytes(std::uint32_t (*sample)(std::uint32_t, std::uint32_t), bool bigTiff) {
    TiffLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    layout.bitsPerSample = 16;
    layout.rowsPerStrip = 4;
    layout.compression = COMPRESSION_LZW;
    layout.bigTiff = bigTiff;
    return TiffBytes(layout,
                     [sample](std::uint32_t x, std::uint32_t y, int) { return sample(x, y); });
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Descriptors this process holds.
int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count - 1; // the directory's own
}

void ExpectFirstFile(const TiffSource& source, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(IsBigTiff(source));

    const OpenedImage opened = OpenWithoutWindow(source);
    ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown)
        << opened.messages.join(" | ").toStdString();
    EXPECT_FALSE(opened.result.bigTiff);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            ASSERT_EQ(opened.model.Levels()[y * kWidth + x], First(x, y) >> 8) << x << "," << y;

    for (int threads : {1, 4}) {
        std::vector<std::uint8_t> levels(kWidth * kHeight);
        const ReadResult r = ReadSamples(source, ThinnedGeometry(kWidth, kHeight), levels.data(),
                                         nullptr, ReadOptions{threads, 1});
        EXPECT_EQ(r.unreadableRows, 0) << threads;
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x)
                ASSERT_EQ(levels[y * kWidth + x], First(x, y) >> 8) << x << "," << y;
    }

    SampleReader exact(source);
    ASSERT_TRUE(exact.IsOpen()) << exact.OpenError().toStdString();
    for (std::uint32_t y = 0; y < kHeight; y += 7)
        for (std::uint32_t x = 0; x < kWidth; x += 3)
            ASSERT_EQ(exact.Sample(x, y), First(x, y)) << x << "," << y;
}

TEST(OneDescriptor, AnotherFileAtThePathChangesNothing) {
    enum class Change { Replaced, Removed, RemovedWithItsFolder };
    for (Change change : {Change::Replaced, Change::Removed, Change::RemovedWithItsFolder}) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("scans"));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/heights.tif");
        ASSERT_TRUE(Write(path, FileBytes(First, false)));
        const TiffSource source = TiffSource::File(path);
        switch (change) {
        case Change::Replaced: {
            // Saved elsewhere and renamed over the path, as editors save.
            const QString other = dir.filePath(QStringLiteral("other.tif"));
            ASSERT_TRUE(Write(other, FileBytes(Second, true)));
            ASSERT_EQ(std::rename(QFile::encodeName(other).constData(),
                                  QFile::encodeName(path).constData()),
                      0);
            break;
        }
        case Change::Removed:
            ASSERT_TRUE(QFile::remove(path));
            break;
        case Change::RemovedWithItsFolder:
            ASSERT_TRUE(QDir(folder).removeRecursively());
            break;
        }
        ExpectFirstFile(source, change == Change::Replaced  ? "replaced"
                                : change == Change::Removed ? "removed"
                                                            : "removed with its folder");
    }
}

TEST(OneDescriptor, ReadsOpenNothingMore) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("heights.tif"));
    ASSERT_TRUE(Write(path, FileBytes(First, false)));
    const int before = OpenDescriptors();
    {
        const TiffSource source = TiffSource::File(path);
        const int open = before + 1;
        EXPECT_EQ(OpenDescriptors(), open);
        {
            auto mapped = TiffHandle::Open(source);
            auto unmapped = TiffHandle::Open(source, TiffHandle::FileAccess::Unmapped);
            ASSERT_TRUE(*mapped && *unmapped);
            EXPECT_EQ(OpenDescriptors(), open) << "with two handles";
        }
        // While four threads read, each with its handles and byte reads.
        int most = 0;
        std::vector<std::uint8_t> levels(kWidth * kHeight);
        ReadSamples(
            source, ThinnedGeometry(kWidth, kHeight), levels.data(),
            [&most](int) { most = std::max(most, OpenDescriptors()); }, ReadOptions{4, 1});
        EXPECT_EQ(most, open) << "while reading";
        const OpenedImage opened = OpenWithoutWindow(source);
        EXPECT_EQ(opened.result.outcome, OpenOutcome::Shown);
        SampleReader exact(source);
        EXPECT_TRUE(exact.Sample(3, 3));
        EXPECT_EQ(OpenDescriptors(), open) << "with the exact reader";
    }
    EXPECT_EQ(OpenDescriptors(), before) << "once every copy of the source is gone";
}

// What the library says when it opens a path itself, formatted as handles
// collect it.
QStringList LibraryOpenMessages(const QString& path) {
    QStringList messages;
    auto collect = [](TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
        char text[1024];
        std::vsnprintf(text, sizeof text, fmt, ap);
        QString message = QString::fromLocal8Bit(text);
        if (module && *module)
            message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + message;
        static_cast<QStringList*>(user)->append(message);
        return 1;
    };
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, collect, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, collect, &messages);
    if (TIFF* tif = TIFFOpenExt(QFile::encodeName(path).constData(), "r", options))
        TIFFClose(tif);
    TIFFOpenOptionsFree(options);
    return messages;
}

TEST(OneDescriptor, UnopenableFilesAreReportedInTheLibrarysWords) {
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.tif"));
    const QString text = dir.filePath(QStringLiteral("notes.tif"));
    const QString noHeader = dir.filePath(QStringLiteral("cut.tif"));
    ASSERT_TRUE(Write(empty, {}));
    ASSERT_TRUE(Write(text, QByteArray("just some notes, no TIFF at all\n")));
    ASSERT_TRUE(Write(noHeader, FileBytes(First, false).left(6)));
    const QString paths[] = {dir.filePath(QStringLiteral("missing.tif")),
                             dir.filePath(QStringLiteral("no-folder/missing.tif")),
                             dir.path(),
                             empty,
                             text,
                             noHeader,
                             QString()};
    for (const QString& path : paths) {
        const QStringList expected = LibraryOpenMessages(path);
        ASSERT_FALSE(expected.isEmpty()) << path.toStdString();
        for (auto access : {TiffHandle::FileAccess::Mapped, TiffHandle::FileAccess::Unmapped}) {
            auto handle = TiffHandle::Open(TiffSource::File(path), access);
            EXPECT_FALSE(*handle) << path.toStdString();
            EXPECT_EQ(handle->TakeErrors(), expected) << path.toStdString();
        }
    }
}

} // namespace
