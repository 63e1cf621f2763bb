#include "image/TiffFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <tiffio.h>
#include <type_traits>

namespace orvane::image {

struct TiffHandleAccess {
    static void set(TiffHandle& h, TIFF* t) { h.tif_ = t; }
    static void setSize(TiffHandle& h, std::uint64_t size) { h.sourceSize_ = size; }
    static void setSource(TiffHandle& h, const TiffSource& source) { h.source_ = source; }
    static void setFile(TiffHandle& h, std::shared_ptr<const SourceFile> file) {
        h.file_ = std::move(file);
    }

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
        if (size <= 0 || h.offset_ >= h.source_.size)
            return 0;
        const std::uint64_t left = h.source_.size - h.offset_;
        const std::uint64_t n = std::min<std::uint64_t>(left, std::uint64_t(size));
        std::memcpy(out, h.source_.data + h.offset_, static_cast<std::size_t>(n));
        h.offset_ += n;
        return static_cast<tmsize_t>(n);
    }
    static tmsize_t write(thandle_t, void*, tmsize_t) { return -1; }
    static toff_t seek(thandle_t client, toff_t offset, int whence) {
        auto& h = *static_cast<TiffHandle*>(client);
        std::uint64_t base = 0;
        if (whence == SEEK_CUR)
            base = h.offset_;
        else if (whence == SEEK_END)
            base = h.source_.size;
        if (offset > UINT64_MAX - base)
            return static_cast<toff_t>(-1);
        h.offset_ = base + offset; // past the end is allowed; reads then give 0 bytes
        return h.offset_;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t client) { return static_cast<TiffHandle*>(client)->source_.size; }
    static int map(thandle_t client, void** base, toff_t* size) {
        auto& h = *static_cast<TiffHandle*>(client);
        *base = const_cast<std::uint8_t*>(h.source_.data); // read-only mode: never written
        *size = h.source_.size;
        return 1;
    }
    static void unmap(thandle_t, void*, toff_t) {}

    // The same over the source's shared file descriptor, read with pread at
    // the handle's own position, doing what the library's procedures for a
    // descriptor of its own do.
    static tmsize_t fileRead(thandle_t client, void* out, tmsize_t size) {
        auto& h = *static_cast<TiffHandle*>(client);
        if (size < 0)
            return -1;
        const std::int64_t got = h.file_->ReadAt(out, std::size_t(size), h.offset_);
        if (got < 0)
            return -1;
        h.offset_ += std::uint64_t(got);
        return static_cast<tmsize_t>(got);
    }
    // As lseek: the offset is signed, and a position before the start or past
    // what off_t holds is refused.
    static toff_t fileSeek(thandle_t client, toff_t offset, int whence) {
        auto& h = *static_cast<TiffHandle*>(client);
        std::uint64_t base = 0;
        if (whence == SEEK_CUR)
            base = h.offset_;
        else if (whence == SEEK_END)
            base = h.file_->Size();
        else if (whence != SEEK_SET)
            return static_cast<toff_t>(-1);
        std::int64_t at = 0;
        if (base > std::uint64_t(INT64_MAX) ||
            __builtin_add_overflow(std::int64_t(base), std::int64_t(offset), &at) || at < 0)
            return static_cast<toff_t>(-1);
        h.offset_ = std::uint64_t(at);
        return h.offset_;
    }
    static toff_t fileSize(thandle_t client) {
        return static_cast<TiffHandle*>(client)->file_->Size();
    }
    static int fileMap(thandle_t client, void** base, toff_t* size) {
        auto& h = *static_cast<TiffHandle*>(client);
        const std::uint64_t bytes = h.file_->Size();
        if (bytes == 0 || bytes > std::uint64_t(std::numeric_limits<tmsize_t>::max()))
            return 0;
        void* at =
            mmap(nullptr, std::size_t(bytes), PROT_READ, MAP_SHARED, h.file_->Descriptor(), 0);
        if (at == MAP_FAILED)
            return 0;
        *base = at;
        *size = bytes;
        return 1;
    }
    static int noMap(thandle_t, void**, toff_t*) { return 0; }
    static void fileUnmap(thandle_t, void* base, toff_t size) { munmap(base, std::size_t(size)); }
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

QString FormatText(const char* module, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    QString message = FormatMessage(module, fmt, ap);
    va_end(ap);
    return message;
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
    TiffHandleAccess::setSource(*handle, source);
    if (source.inMemory) {
        TiffHandleAccess::setSize(*handle, source.size);
        tif = TIFFClientOpenExt("memory", mode, handle.get(), TiffHandleAccess::read,
                                TiffHandleAccess::write, TiffHandleAccess::seek,
                                TiffHandleAccess::close, TiffHandleAccess::size,
                                TiffHandleAccess::map, TiffHandleAccess::unmap, options);
    } else if (const auto file = source.OpenFile(); !file->IsOpen()) {
        // In the words the library's own TIFFOpen has for a path it cannot open.
        const int error = file->OpenErrno();
        const char* why = error > 0 ? std::strerror(error) : nullptr;
        const char* name = file->Name().constData();
        TiffHandleAccess::collect(*handle, why ? FormatText("TIFFOpen", "%s: %s", name, why)
                                               : FormatText("TIFFOpen", "%s: Cannot open", name));
    } else {
        // The library's name for the file is the path as given, as TIFFOpen has it.
        TiffHandleAccess::setFile(*handle, file);
        TiffHandleAccess::setSize(*handle, file->Size());
        tif = TIFFClientOpenExt(
            file->Name().constData(), mode, handle.get(), TiffHandleAccess::fileRead,
            TiffHandleAccess::write, TiffHandleAccess::fileSeek, TiffHandleAccess::close,
            TiffHandleAccess::fileSize,
            access == FileAccess::Mapped ? TiffHandleAccess::fileMap : TiffHandleAccess::noMap,
            TiffHandleAccess::fileUnmap, options);
        if (tif)
            TIFFSetFileno(tif, file->Descriptor());
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
    t.NoData = ReadNoDataTag(tif);
    t.Geo = ReadGeoReference(tif);
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
    unsigned char b[4];
    if (source.inMemory) {
        if (source.size < 4)
            return false;
        std::memcpy(b, source.data, 4);
    } else if (source.OpenFile()->ReadAt(b, 4, 0) != 4) {
        return false;
    }
    if (b[0] == 'I' && b[1] == 'I')
        return (b[2] | (b[3] << 8)) == 43;
    if (b[0] == 'M' && b[1] == 'M')
        return ((b[2] << 8) | b[3]) == 43;
    return false;
}

} // namespace orvane::image
