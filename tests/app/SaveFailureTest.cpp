// A save at file resolution whose memory runs out: the job ends with the failure as its
// message, nothing thrown out of the worker (which would end the program) and nothing left on
// disk. This executable links the replacement of the global operator new that a test can make
// fail.
#include "app/FileResolutionSave.h"
#include "tests/support/FailingAllocator.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace orvane;

TEST(SaveAtFileResolution, RunningOutOfMemoryIsTheSavesMessage) {
    QTemporaryDir dir;
    std::vector<std::uint8_t> levels(600 * 400, 77);
    app::FileResolutionJob job;
    job.fileName = dir.filePath("view.png");
    job.rect = {0, 0, 600, 400};
    job.size = {600, 400};
    job.levels = levels.data();
    job.geometry = image::ThinnedGeometry(600, 400);
    for (int level = 0; level < 256; ++level)
        job.colours.append(qRgb(level, level, level));
    std::atomic<bool> cancel{false};
    std::atomic<int> rows{0};

    app::FileResolutionOutcome outcome;
    bool threw = false;
    {
        // The picture's levels (240000 bytes) cannot be had.
        test::FailingAllocations failing(200000, 300000);
        try {
            outcome = app::SaveAtFileResolution(job, cancel, rows);
        } catch (...) {
            threw = true;
        }
    }
    ASSERT_FALSE(threw);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.error,
              QStringLiteral("Could not save the view to \"%1\": Not enough memory for a picture "
                             "of 600 x 400 pixels.")
                  .arg(QDir::toNativeSeparators(job.fileName)));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    // With the memory back the same job writes the picture.
    outcome = app::SaveAtFileResolution(job, cancel, rows);
    EXPECT_TRUE(outcome.error.isEmpty());
    EXPECT_TRUE(QFile::exists(job.fileName));
}

} // namespace
