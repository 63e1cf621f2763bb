#include "image/TiffFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <tiffio.h>
#include <type_traits>

namespace orvane::image {

struct TiffHandleAccess {
    static void set(TiffHandle& h, TIFF* t) { h.tif_ = t; }
    static void setSize(TiffHandle& h, std::uint64_t size) { h.sourceSize_ = size; }
    static void setMemory(TiffHandle& h, const TiffSource& source) { h.memory_ = source; }

    static void collect(TiffHandle& h, QString message) {
        if (h.errors_.size() < TiffHandle::kMaxCollectedMessages) {
            h.errors_.append(std::move(message));
            return;
        }
        ++h.omittedMessages_;
    }

    // libtiff client procedures over a memory block. The block is mapped as is,
    // so strips are read in place without copies.
    static tmsize_t read(thandle_t client, void* out, tmsize_t size) {
        auto& h = *static_cast<TiffHandle*>(client);
        if (size <= 0 || h.memoryOffset_ >= h.memory_.size)
            return 0;
        const std::uint64_t left = h.memory_.size - h.memoryOffset_;
        const std::uint64_t n = std::min<std::uint64_t>(left, std::uint64_t(size));
        std::memcpy(out, h.memory_.data + h.memoryOffset_, static_cast<std::size_t>(n));
        h.memoryOffset_ += n;
        return static_cast<tmsize_t>(n);
    }
    static tmsize_t write(thandle_t, void*, tmsize_t) { return -1; }
    static toff_t seek(thandle_t client, toff_t offset, int whence) {
        auto& h = *static_cast<TiffHandle*>(client);
        std::uint64_t base = 0;
        if (whence == SEEK_CUR)
            base = h.memoryOffset_;
        else if (whence == SEEK_END)
            base = h.memory_.size;
        if (offset > UINT64_MAX - base)
            return static_cast<toff_t>(-1);
        h.memoryOffset_ = base + offset; // past the end is allowed; reads then give 0 bytes
        return h.memoryOffset_;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t client) { return static_cast<TiffHandle*>(client)->memory_.size; }
    static int map(thandle_t client, void** base, toff_t* size) {
        auto& h = *static_cast<TiffHandle*>(client);
        *base = const_cast<std::uint8_t*>(h.memory_.data); // read-only mode: never written
        *size = h.memory_.size;
        return 1;
    }
    static void unmap(thandle_t, void*, toff_t) {}
};

namespace {

QString FormatMessage(const char* module, const char* fmt, va_list ap) {
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, ap);
    QString message = QString::fromLocal8Bit(text);
    if (module && *module)
        message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + message;
    return message;
}

int CollectError(TIFF*, void* userData, const char* module, const char* fmt, va_list ap) {
    TiffHandleAccess::collect(*static_cast<TiffHandle*>(userData), FormatMessage(module, fmt, ap));
    return 1; // handled: nothing goes to the terminal
}

int CollectWarning(TIFF*, void* userData, const char* module, const char* fmt, va_list ap) {
    // Warnings are kept too: when an open fails, they often say why.
    TiffHandleAccess::collect(*static_cast<TiffHandle*>(userData), FormatMessage(module, fmt, ap));
    return 1;
}

void SilenceGlobalHandlers() {
    // Messages raised before a handle exists would otherwise go to stderr.
    static const bool done = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)done;
}

QString TextTag(TIFF* tif, ttag_t tag) {
    char* value = nullptr;
    if (TIFFGetField(tif, tag, &value) && value)
        return QString::fromLatin1(value);
    return QString();
}

} // namespace

std::unique_ptr<TiffHandle> TiffHandle::Open(const TiffSource& source, FileAccess access) {
    SilenceGlobalHandlers();
    const char* mode = access == FileAccess::Mapped ? "r" : "rm";
    std::unique_ptr<TiffHandle> handle(new TiffHandle);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, CollectError, handle.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, CollectWarning, handle.get());
    TIFF* tif = nullptr;
    if (source.inMemory) {
        TiffHandleAccess::setMemory(*handle, source);
        TiffHandleAccess::setSize(*handle, source.size);
        tif = TIFFClientOpenExt("memory", mode, handle.get(), TiffHandleAccess::read,
                                TiffHandleAccess::write, TiffHandleAccess::seek,
                                TiffHandleAccess::close, TiffHandleAccess::size,
                                TiffHandleAccess::map, TiffHandleAccess::unmap, options);
    } else {
        TiffHandleAccess::setSize(
            *handle, std::uint64_t(std::max<qint64>(0, QFileInfo(source.path).size())));
        tif = TIFFOpenExt(QFile::encodeName(source.path).constData(), mode, options);
    }
    TiffHandleAccess::set(*handle, tif);
    TIFFOpenOptionsFree(options);
    return handle;
}

TiffHandle::~TiffHandle() {
    if (tif_)
        TIFFClose(tif_);
}

QStringList TiffHandle::TakeErrors() {
    Messages messages = TakeMessages();
    if (messages.omitted > 0)
        messages.kept.append(OmittedMessagesLine(messages.omitted));
    return messages.kept;
}

TiffHandle::Messages TiffHandle::TakeMessages() {
    Messages messages;
    messages.kept.swap(errors_);
    messages.omitted = omittedMessages_;
    omittedMessages_ = 0;
    return messages;
}

QString TiffHandle::OmittedMessagesLine(int omitted) {
    return QStringLiteral("(%1 more messages from the TIFF library)").arg(omitted);
}

TiffTags ReadTiffTags(TIFF* tif) {
    TiffTags t;
    // A tag the library yields no value for leaves the field as it is.
    auto read = [tif](ttag_t tag, auto& optionalField) {
        typename std::decay_t<decltype(optionalField)>::value_type value{};
        if (TIFFGetField(tif, tag, &value))
            optionalField = value;
    };
    auto read16 = [tif](ttag_t tag, std::uint16_t& field) {
        std::uint16_t value = 0;
        if (TIFFGetField(tif, tag, &value))
            field = value;
    };
    read(TIFFTAG_IMAGEWIDTH, t.ImageWidth);
    read(TIFFTAG_IMAGELENGTH, t.ImageLength);
    read(TIFFTAG_XRESOLUTION, t.XResolution);
    read16(TIFFTAG_BITSPERSAMPLE, t.BitsPerSample);
    read16(TIFFTAG_PHOTOMETRIC, t.Photometric);
    read16(TIFFTAG_SAMPLESPERPIXEL, t.SamplesPerPixel);
    read16(TIFFTAG_COMPRESSION, t.Compression);
    read16(TIFFTAG_RESOLUTIONUNIT, t.ResolutionUnit);
    read16(TIFFTAG_MAXSAMPLEVALUE, t.MaxSampleValue);
    read16(TIFFTAG_MINSAMPLEVALUE, t.MinSampleValue);
    read16(TIFFTAG_SAMPLEFORMAT, t.SampleFormat);
    t.DateTime = TextTag(tif, TIFFTAG_DATETIME);
    t.Software = TextTag(tif, TIFFTAG_SOFTWARE);
    t.Make = TextTag(tif, TIFFTAG_MAKE);
    t.Model = TextTag(tif, TIFFTAG_MODEL);
    t.ImageDescription = TextTag(tif, TIFFTAG_IMAGEDESCRIPTION);
    return t;
}

std::optional<StrileBytes> StrileInSource(TIFF* tif, std::uint32_t strile,
                                          std::uint64_t sourceBytes) {
    int err = 0; // also set for an index beyond the file's strip or tile table
    StrileBytes where;
    where.offset = TIFFGetStrileOffsetWithErr(tif, strile, &err);
    if (err)
        return std::nullopt;
    where.bytes = TIFFGetStrileByteCountWithErr(tif, strile, &err);
    if (err || where.bytes == 0 || where.offset >= sourceBytes ||
        where.bytes > sourceBytes - where.offset)
        return std::nullopt;
    return where;
}

bool IsBigTiff(const TiffSource& source) {
    QByteArray head;
    if (source.inMemory) {
        if (source.size >= 4)
            head = QByteArray(reinterpret_cast<const char*>(source.data), 4);
    } else {
        QFile file(source.path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        head = file.read(4);
    }
    if (head.size() < 4)
        return false;
    const auto b = reinterpret_cast<const unsigned char*>(head.constData());
    if (b[0] == 'I' && b[1] == 'I')
        return (b[2] | (b[3] << 8)) == 43;
    if (b[0] == 'M' && b[1] == 'M')
        return ((b[2] << 8) | b[3]) == 43;
    return false;
}

} // namespace orvane::image
