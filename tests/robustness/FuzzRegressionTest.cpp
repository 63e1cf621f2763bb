// Every input the fuzzer once crashed or hung on is kept under tests/data/fuzz
// and replayed here, through the same memory open as the fuzzer, with the same
// invariants checked.
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "tests/support/OpenInvariants.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace orvane::image;
using namespace orvane::test;

constexpr std::int64_t kFuzzAllocationLimit = 4LL << 20;

TEST(FuzzRegression, EveryKeptFindingOpensCleanly) {
    const QDir dir(QStringLiteral(ORVANE_FUZZ_FIXTURES));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty())
        GTEST_SKIP() << "no fuzz findings kept in " << ORVANE_FUZZ_FIXTURES;
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        // The file path and the memory block go through the same code; both are replayed.
        OpenOptions options;
        options.allocationLimitBytes = kFuzzAllocationLimit;
        const OpenedImage fromMemory = OpenWithoutWindow(
            TiffSource::Memory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size())),
            options);
        EXPECT_EQ(OpenInvariantViolations(fromMemory, kFuzzAllocationLimit), QStringList())
            << name.toStdString();
        const OpenedImage fromFile = OpenWithoutWindow(TiffSource::File(file.fileName()), options);
        EXPECT_EQ(fromFile.result.outcome, fromMemory.result.outcome) << name.toStdString();
        EXPECT_EQ(OpenInvariantViolations(fromFile, kFuzzAllocationLimit), QStringList())
            << name.toStdString();
        // The exact samples, as the fuzzer reads them.
        if (fromMemory.result.outcome == OpenOutcome::Shown) {
            EXPECT_EQ(
                ExactSampleViolations(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      std::size_t(bytes.size())),
                QStringList())
                << name.toStdString();
        }
    }
}

} // namespace

namespace {

using namespace orvane::image;

// A damaged Deflate strip that the decoder accepts leaves part of the block unwritten: those
// samples read as 0 every time, never as what the memory held before. The heap is dirtied
// first with blocks of the strip's size, which the reader's block would otherwise reuse.
TEST(FuzzRegression, UnwrittenPartsOfADamagedStripReadAsZero) {
    const QString path =
        QDir(QStringLiteral(ORVANE_FUZZ_FIXTURES))
            .filePath("flat-profile-mean-1a7c7679fbca1965811fbb0d407592d2da0d1e6f");
    ASSERT_TRUE(QFile::exists(path));
    for (int attempt = 0; attempt < 4; ++attempt) {
        {
            std::vector<std::unique_ptr<std::uint8_t[]>> dirty;
            for (int i = 0; i < 8; ++i) {
                dirty.emplace_back(new std::uint8_t[40 * 30]);
                std::memset(dirty.back().get(), 0xAB, 40 * 30);
            }
        }
        SampleReader reader(TiffSource::File(path));
        ASSERT_TRUE(reader.IsOpen());
        for (int row = 10; row < 14; ++row) {
            const StoredSample sample = reader.Sample(2, row);
            EXPECT_TRUE(!sample || *sample == 0) << "row " << row << ": " << *sample;
        }
    }
}

} // namespace
