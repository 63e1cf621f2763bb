#include "app/PictureFile.h"

#include "app/WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

namespace orvane::app {

namespace {

constexpr int kJpegQuality = 95;

} // namespace

QString SaveFailureText(const QString& fileName, const QString& why) {
    return QStringLiteral("Could not save the view to \"%1\": %2")
        .arg(QDir::toNativeSeparators(fileName), why);
}

QByteArray PictureFormatOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "png";
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return "tiff";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "jpeg";
    return {};
}

bool WritePictureFile(const QImage& picture, const QString& fileName, QString& error,
                      const std::atomic<bool>* cancel) {
    const QByteArray format = PictureFormatOf(fileName);
    if (format.isEmpty()) {
        error =
            SaveFailureText(fileName, QStringLiteral("the name must end in .png, .tif or .jpg."));
        return false;
    }
    // Encoded in memory first: the file then gets one unbuffered write.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (format == "jpeg")
            writer.setQuality(kJpegQuality);
        if (!writer.write(picture)) {
            error = SaveFailureText(fileName, writer.errorString());
            return false;
        }
    }
    if (cancel && cancel->load())
        return false;
    QString why;
    if (!WriteWholeFile(bytes, fileName, why)) {
        error = SaveFailureText(fileName, why);
        return false;
    }
    return true;
}

} // namespace orvane::app
