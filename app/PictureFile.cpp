#include "app/PictureFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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

bool WritePictureFile(const QImage& picture, const QString& fileName, QString& error) {
    const QByteArray format = PictureFormatOf(fileName);
    if (format.isEmpty()) {
        error =
            SaveFailureText(fileName, QStringLiteral("the name must end in .png, .tif or .jpg."));
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = SaveFailureText(fileName, file.errorString());
        return false;
    }
    QImageWriter writer(&file, format);
    if (format == "jpeg")
        writer.setQuality(kJpegQuality);
    // A failed write leaves the temporary file to cancelWriting(), which removes it.
    if (!writer.write(picture)) {
        const QString why =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        error = SaveFailureText(fileName, why);
        return false;
    }
    if (!file.commit()) {
        error = SaveFailureText(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace orvane::app
