// The order of an open's window steps: a file refused before its read touches nothing of the
// image that is open; a read that cannot run leaves no image and says so.
#include "image/OpenImage.h"
#include "tests/support/TiffSurgery.h"

#include <gtest/gtest.h>

namespace {

using namespace orvane::image;
using orvane::test::TiffBytes;
using orvane::tools::TiffLayout;

class RecordedSteps : public OpenSteps {
public:
    QStringList calls;
    std::optional<ReadResult> readOutcome; // replaces the real read when set

    void ShowMessage(MessageKind, const QString& text) override { calls << "message: " + text; }
    void Prepare(const QString&) override { calls << "Prepare"; }
    void ShowBigTiffMarker(bool) override { calls << "ShowBigTiffMarker"; }
    void ShowFileLabels(const QString&, const QString&, const QString&) override {
        calls << "ShowFileLabels";
    }
    void BeginRead() override { calls << "BeginRead"; }
    ReadResult RunRead(const ReadJob& read) override {
        calls << "RunRead";
        return readOutcome ? *readOutcome : read(nullptr);
    }
    void EndRead() override { calls << "EndRead"; }
    bool Display() override {
        calls << "Display";
        return true;
    }
    void PrepareRelief() override { calls << "PrepareRelief"; }
    void Finish() override { calls << "Finish"; }
    void ImageLost() override { calls << "ImageLost"; }
};

QByteArray Flat(TiffLayout layout) {
    return TiffBytes(layout, [](std::uint32_t, std::uint32_t, int) { return 100u; });
}

TiffSource Source(const QByteArray& bytes) {
    return TiffSource::Memory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              std::size_t(bytes.size()));
}

TiffLayout Small(std::uint32_t width = 16, std::uint32_t height = 8) {
    TiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerSample = 8;
    return layout;
}

TEST(OpenSteps, RefusedFilesLeaveTheOpenModelAndCallNoWindowStep) {
    const QByteArray good = Flat(Small());
    RecordedSteps steps;
    ImageModel model;
    ASSERT_EQ(OpenImage(Source(good), model, steps).outcome, OpenOutcome::Shown);
    const std::uint8_t* levels = model.Levels();

    TiffLayout rgb = Small();
    rgb.samplesPerPixel = 3;
    rgb.photometric = 2;
    rgb.bigTiff = true;
    const QByteArray refused[] = {QByteArray("not a TIFF"), Flat(rgb), Flat(Small(3, 8))};
    for (const QByteArray& bytes : refused) {
        steps.calls.clear();
        const OpenResult result = OpenImage(Source(bytes), model, steps);
        EXPECT_NE(result.outcome, OpenOutcome::Shown);
        ASSERT_FALSE(steps.calls.isEmpty());
        for (const QString& call : steps.calls)
            EXPECT_TRUE(call.startsWith("message: ")) << call.toStdString();
        EXPECT_EQ(model.Levels(), levels);
        EXPECT_EQ(model.ImageWidth, 16);
        EXPECT_EQ(model.BitsPerSample, 8);
    }
}

TEST(OpenSteps, AcceptedFileGoesThroughEveryStepInOrder) {
    RecordedSteps steps;
    ImageModel model;
    OpenImage(Source(Flat(Small())), model, steps);
    EXPECT_EQ(steps.calls,
              QStringList({"Prepare", "ShowBigTiffMarker", "ShowFileLabels", "BeginRead", "RunRead",
                           "EndRead", "Display", "PrepareRelief", "Finish"}));
}

// A read that could not open the file, or that stopped on a failure of its own (memory),
// ends the open without an image, and says why.
TEST(OpenSteps, ReadThatCouldNotRunLeavesNoImage) {
    const QByteArray bytes = Flat(Small());
    ReadResult notOpened;
    notOpened.unreadableRows = 8;
    notOpened.errors = QStringList{"TIFFOpen: gone"};
    ReadResult outOfMemory;
    outOfMemory.opened = true;
    outOfMemory.unreadableRows = 8;
    outOfMemory.failure = QStringLiteral("Not enough memory to read the file.");
    const std::pair<ReadResult, QString> cases[] = {
        {notOpened, "TIFFOpen: gone"},
        {outOfMemory, "Can't read \"memory\": Not enough memory to read the file."},
    };
    for (const auto& [read, said] : cases) {
        RecordedSteps steps;
        ImageModel model;
        steps.readOutcome = read;
        const OpenResult result = OpenImage(Source(bytes), model, steps);
        EXPECT_EQ(result.outcome, OpenOutcome::NotRead);
        EXPECT_FALSE(model.HasImage());
        EXPECT_FALSE(steps.calls.contains("Display"));
        EXPECT_FALSE(steps.calls.contains("Finish"));
        ASSERT_TRUE(steps.calls.contains("ImageLost"));
        ASSERT_TRUE(steps.calls.last().startsWith("message: "));
        EXPECT_TRUE(steps.calls.last().contains(said)) << steps.calls.last().toStdString();
    }
}

} // namespace
