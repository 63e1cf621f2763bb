#include "image/OpenImage.h"

#include "image/Acceptance.h"
#include "image/InfoLabels.h"
#include "image/OpenMessages.h"
#include "image/Sizing.h"

#include <QFileInfo>

namespace orvane::image {

namespace {

// Examination: the tags go into the model as they are reached, so a refused
// file leaves the fields it got to.
void TakeExaminedTags(const TiffTags& tags, ImageModel& model) {
    if (tags.ImageWidth)
        model.ImageWidth = *tags.ImageWidth;
    if (tags.ImageLength)
        model.ImageHeight = *tags.ImageLength;
    // A file without a usable XResolution has an unknown pixel size; keeping the
    // previous file's value would show another file's millimetres.
    model.Resolution = tags.XResolution ? *tags.XResolution : 0.0f;
    model.BitsPerSample = static_cast<std::int16_t>(tags.BitsPerSample);
    model.Photometric = tags.Photometric;
}

// The tags of an accepted file: its physical scale and scanner texts.
void TakeAcceptedTags(const TiffTags& tags, ImageModel& model) {
    if (tags.ResolutionUnit == 3) // centimetre
        model.Resolution = static_cast<float>(static_cast<long double>(model.Resolution) * 2.54L);
    // The sample-value tags hold the height range in micrometres.
    model.ZMax = tags.MaxSampleValue * 0.001;
    model.ZMin = tags.MinSampleValue * 0.001;
    model.AcquisitionDate = tags.DateTime;
    model.ScannerSoftware = tags.Software;
    model.AcquisitionSetup = tags.Make;
    model.ScannerModel = tags.Model;
    model.AcquisitionInfo = tags.ImageDescription;
}

// How the samples become levels. Unsigned 8- and 16-bit samples without a declared no-data
// value keep the high-byte rule (and min-is-white inversion); any other kind of sample is a
// height in its own right, mapped over its own range.
void TakeSampleFormat(const TiffTags& tags, ImageModel& model) {
    model.Samples = SampleFormatOf(tags);
    model.NoData = NoDataMatch(tags.NoData, model.Samples.kind, model.Samples.bits);
    model.NoDataText = tags.NoData ? tags.NoData->Text : QString();
    model.LevelsFromValues = model.Samples.kind != SampleKind::Unsigned ||
                             (model.Samples.bits != 8 && model.Samples.bits != 16) ||
                             tags.NoData.has_value() || tags.Geo.GeoTiff;
    // A GeoTIFF says what its values and pixels measure; other files leave values unitless
    // and pixels to the resolution.
    model.HeightUnit.clear();
    model.MmPerHeightUnit = 0;
    model.GeoPixel.reset();
    if (tags.Geo.GeoTiff) {
        if (tags.Geo.HeightUnit.Kind != UnitKind::Unknown) {
            model.HeightUnit = tags.Geo.HeightUnit.Name;
            model.MmPerHeightUnit = MmPerUnit(tags.Geo.HeightUnit);
        }
        model.GeoPixel = tags.Geo.Pixel;
    }
}

// The range of the valid values read; heights run over it.
void TakeValueRange(const ValueRange& values, ImageModel& model) {
    model.NoDataPixels = values.noData;
    if (values.valid > 0) {
        model.DataMin = values.min;
        model.DataMax = values.max;
        model.ZMin = values.min;
        model.ZMax = values.max;
    } else {
        model.ZMin = model.ZMax = 0;
    }
    if (values.noData == 0)
        model.NoDataMask.reset();
}

} // namespace

OpenStart BeginOpen(const TiffSource& source, ImageModel& model, OpenSteps& steps,
                    const OpenOptions& options) {
    OpenStart start;
    OpenResult& result = start.result;
    const QString name = source.inMemory ? source.path : QFileInfo(source.path).fileName();
    start.fileName = name;

    // Examination, validation, sizing and the level buffer come first: a file
    // refused on the way leaves the image that is open untouched.
    result.bigTiff = IsBigTiff(source);
    {
        auto tiff = TiffHandle::Open(source);
        if (!*tiff) {
            steps.ShowMessage(MessageKind::Plain, UnopenableMessage(name, tiff->TakeErrors()));
            return start;
        }
        result.tags = ReadTiffTags(tiff->get());
    }
    const TiffTags& tags = result.tags;
    const QStringList rejections = AcceptanceMessages(tags);
    if (!rejections.isEmpty()) {
        result.outcome = OpenOutcome::Rejected;
        for (const QString& message : rejections)
            steps.ShowMessage(MessageKind::Rejection, message);
        return start;
    }
    ImageModel next;
    TakeExaminedTags(tags, next);
    TakeAcceptedTags(tags, next);
    TakeSampleFormat(tags, next);
    const std::uint32_t fileWidth = tags.ImageWidth.value_or(0);
    const std::uint32_t fileHeight = tags.ImageLength.value_or(0);
    result.outcome = OpenOutcome::NotSized;
    const SizingResult size =
        SizeImage(fileWidth, fileHeight, TrialAllocator(options.allocationLimitBytes));
    if (size.outcome != SizingOutcome::Ok) {
        steps.ShowMessage(MessageKind::Plain, SizingMessage(size.outcome));
        return start;
    }
    static_cast<ImageGeometry&>(next) = size.geometry;
    next.SampleBuffer = AllocateLevels(next.LevelCount(), options.allocationLimitBytes);
    if (next.SampleBuffer && next.LevelsFromValues && next.NoData.CanMatch()) {
        // A bit a pixel beside the levels, kept only if some pixel has no value (none can in
        // an integer file without a no-data value).
        next.NoDataMask.reset(new (std::nothrow)
                                  std::uint8_t[MaskStride(next.ImageWidth) * next.ImageHeight]());
        if (!next.NoDataMask)
            next.SampleBuffer.reset();
    }
    if (!next.SampleBuffer) {
        steps.ShowMessage(MessageKind::Plain, SizingMessage(SizingOutcome::TooBig));
        return start;
    }

    // From here on the new file replaces the open image.
    steps.Prepare(source.path);
    model = std::move(next);
    steps.ShowBigTiffMarker(result.bigTiff);
    steps.ShowFileLabels(name, ResolutionLabelText(model.Resolution, model.BitsPerSample),
                         model.GeoPixel ? SizeLabelText(fileWidth, fileHeight, *model.GeoPixel)
                                        : SizeLabelText(fileWidth, fileHeight, model.Resolution));

    // Reading.
    steps.BeginRead();
    const ImageGeometry geometry = model;
    std::uint8_t* levels = model.SampleBuffer.get();
    if (model.LevelsFromValues) {
        std::uint8_t* mask = model.NoDataMask.get();
        const SampleFormat format = model.Samples;
        const NoDataMatch noData = model.NoData;
        start.read = [source, geometry, levels, mask, format,
                      noData](const ProgressFunction& progress) {
            return ReadValues(source, geometry, levels, mask, format, noData, progress);
        };
    } else {
        start.read = [source, geometry, levels](const ProgressFunction& progress) {
            return ReadSamples(source, geometry, levels, progress);
        };
    }
    return start;
}

OpenResult FinishOpen(OpenStart start, const ReadResult& read, ImageModel& model,
                      OpenSteps& steps) {
    OpenResult result = std::move(start.result);
    const QString& name = start.fileName;
    result.read = read;
    steps.EndRead();
    if (!result.read.failure.isEmpty() || !result.read.opened) {
        result.outcome = OpenOutcome::NotRead;
        model.SampleBuffer.reset();
        steps.ImageLost();
        steps.ShowMessage(MessageKind::Plain, result.read.failure.isEmpty()
                                                  ? UnopenableMessage(name, result.read.errors)
                                                  : ReadFailedMessage(name, result.read.failure));
        return result;
    }
    if (model.LevelsFromValues)
        TakeValueRange(result.read.values, model);
    else if (model.Photometric == 0) // minimum is white
        InvertLevels(model.SampleBuffer.get(), model, result.read);

    result.outcome = OpenOutcome::NotDisplayed;
    if (!steps.Display()) {
        model.SampleBuffer.reset();
        steps.ImageLost();
        steps.ShowMessage(MessageKind::Plain, QStringLiteral("Problem in open image!"));
        return result;
    }
    result.outcome = OpenOutcome::Shown;
    steps.PrepareRelief();
    steps.Finish();
    if (result.read.unreadableRows > 0)
        steps.ShowMessage(MessageKind::Plain,
                          UnreadableRowsMessage(result.read.unreadableRows, model.SpanHeight, name,
                                                result.read.errors));
    return result;
}

OpenResult OpenImage(const TiffSource& source, ImageModel& model, OpenSteps& steps,
                     const OpenOptions& options) {
    OpenStart start = BeginOpen(source, model, steps, options);
    if (!start.read)
        return start.result;
    const ReadResult read = steps.RunRead(start.read);
    return FinishOpen(std::move(start), read, model, steps);
}

OpenedImage OpenWithoutWindow(const TiffSource& source, const OpenOptions& options) {
    class Recorder : public OpenSteps {
    public:
        explicit Recorder(QStringList& messages) : messages_(messages) {}
        void ShowMessage(MessageKind, const QString& text) override { messages_ << text; }

    private:
        QStringList& messages_;
    };
    OpenedImage opened;
    Recorder recorder(opened.messages);
    opened.result = OpenImage(source, opened.model, recorder, options);
    return opened;
}

} // namespace orvane::image
