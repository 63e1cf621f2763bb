#include "image/OpenPipeline.h"

#include "image/Acceptance.h"
#include "image/Memory.h"
#include "image/OpenMessages.h"

#include <QFileInfo>

void FreeBufferDeleter::operator()(std::uint8_t* block) const {
    FreeBuffer(block);
}

namespace {

std::uint8_t* AllocateWithin(std::int64_t bytes, std::int64_t limitBytes) {
    if (bytes <= 0 || (limitBytes > 0 && bytes > limitBytes))
        return nullptr;
    return TryAllocate(static_cast<std::size_t>(bytes));
}

} // namespace

std::function<bool(std::int64_t)> TrialAllocator(std::int64_t limitBytes) {
    return [limitBytes](std::int64_t bytes) {
        std::uint8_t* trial = AllocateWithin(bytes, limitBytes);
        FreeBuffer(trial);
        return trial != nullptr;
    };
}

void InvertLevels(std::uint8_t* levels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        levels[i] = static_cast<std::uint8_t>(255 - levels[i]);
}

OpenedImage OpenWithoutWindow(const TiffSource& source, const OpenOptions& options) {
    OpenedImage image;
    const QString name = source.inMemory ? source.path : QFileInfo(source.path).fileName();
    image.bigTiff = IsBigTiff(source);

    // Examination: the handle is closed before sizing, as in the frame.
    {
        auto tiff = TiffHandle::Open(source);
        if (!*tiff) {
            image.messages << UnopenableMessage(name, tiff->TakeErrors());
            return image;
        }
        image.tags = ReadTiffTags(tiff->get());
    }
    const QStringList rejections = AcceptanceMessages(image.tags);
    if (!rejections.isEmpty()) {
        image.outcome = OpenedImage::Rejected;
        image.messages = rejections;
        return image;
    }

    image.outcome = OpenedImage::NotSized;
    image.size = SizeImage(image.tags.ImageWidth.value_or(0), image.tags.ImageLength.value_or(0),
                           TrialAllocator(options.allocationLimitBytes));
    if (image.size.outcome != SizingResult::Ok) {
        image.messages << SizingMessage(image.size.outcome);
        return image;
    }
    const std::int64_t count = image.size.ImageWidth * image.size.ImageHeight;
    image.levels.reset(AllocateWithin(count, options.allocationLimitBytes));
    if (!image.levels) {
        image.messages << SizingMessage(SizingResult::TooBig);
        return image;
    }

    image.outcome = OpenedImage::Read;
    const ReadGeometry geometry{image.size.SpanWidth, image.size.SpanHeight, image.size.ColumnStep,
                                image.size.RowStep};
    image.read = ReadSamples(source, geometry, image.levels.get(), {});
    if (image.tags.Photometric == 0) // minimum is white
        InvertLevels(image.levels.get(), static_cast<std::size_t>(count));
    if (image.read.unreadableRows > 0)
        image.messages << UnreadableRowsMessage(image.read.unreadableRows, image.size.SpanHeight,
                                                name, image.read.errors);
    return image;
}
