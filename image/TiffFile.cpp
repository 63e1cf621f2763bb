#include "image/TiffFile.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <tiffio.h>

struct TiffHandleAccess {
    static QStringList& errors(TiffHandle& h) { return h.errors_; }
    static void set(TiffHandle& h, TIFF* t) { h.tif_ = t; }
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
    static_cast<QStringList*>(userData)->append(FormatMessage(module, fmt, ap));
    return 1; // handled: nothing goes to the terminal
}

int CollectWarning(TIFF*, void* userData, const char* module, const char* fmt, va_list ap) {
    // Warnings are kept too: when an open fails, they often say why.
    static_cast<QStringList*>(userData)->append(FormatMessage(module, fmt, ap));
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

std::unique_ptr<TiffHandle> TiffHandle::Open(const QString& path) {
    SilenceGlobalHandlers();
    std::unique_ptr<TiffHandle> handle(new TiffHandle);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, CollectError, &TiffHandleAccess::errors(*handle));
    TIFFOpenOptionsSetWarningHandlerExtR(options, CollectWarning,
                                         &TiffHandleAccess::errors(*handle));
    TiffHandleAccess::set(*handle, TIFFOpenExt(QFile::encodeName(path).constData(), "r", options));
    TIFFOpenOptionsFree(options);
    return handle;
}

TiffHandle::~TiffHandle() {
    if (tif_)
        TIFFClose(tif_);
}

QStringList TiffHandle::TakeErrors() {
    QStringList out;
    out.swap(errors_);
    return out;
}

TiffTags ReadTiffTags(TIFF* tif) {
    TiffTags t;
    std::uint32_t u32 = 0;
    float f = 0;
    std::uint16_t u16 = 0;
    if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &u32))
        t.ImageWidth = u32;
    if (TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &u32))
        t.ImageLength = u32;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &f))
        t.XResolution = f;
    if (TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &u16))
        t.BitsPerSample = u16;
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &u16))
        t.Photometric = u16;
    if (TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &u16))
        t.SamplesPerPixel = u16;
    if (TIFFGetField(tif, TIFFTAG_COMPRESSION, &u16))
        t.Compression = u16;
    if (TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &u16))
        t.ResolutionUnit = u16;
    if (TIFFGetField(tif, TIFFTAG_MAXSAMPLEVALUE, &u16))
        t.MaxSampleValue = u16;
    if (TIFFGetField(tif, TIFFTAG_MINSAMPLEVALUE, &u16))
        t.MinSampleValue = u16;
    if (TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &u16))
        t.SampleFormat = u16;
    t.DateTime = TextTag(tif, TIFFTAG_DATETIME);
    t.Software = TextTag(tif, TIFFTAG_SOFTWARE);
    t.Make = TextTag(tif, TIFFTAG_MAKE);
    t.Model = TextTag(tif, TIFFTAG_MODEL);
    t.ImageDescription = TextTag(tif, TIFFTAG_IMAGEDESCRIPTION);
    return t;
}

bool IsBigTiff(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    if (head.size() < 4)
        return false;
    const auto b = reinterpret_cast<const unsigned char*>(head.constData());
    if (b[0] == 'I' && b[1] == 'I')
        return (b[2] | (b[3] << 8)) == 43;
    if (b[0] == 'M' && b[1] == 'M')
        return ((b[2] << 8) | b[3]) == 43;
    return false;
}
