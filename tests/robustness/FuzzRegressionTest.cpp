// Every input the fuzzer once crashed or hung on is kept under tests/data/fuzz
// and replayed here, through the same memory open as the fuzzer, with the same
// invariants checked.
#include "image/OpenImage.h"
#include "tests/support/OpenInvariants.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
