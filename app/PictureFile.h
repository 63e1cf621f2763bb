#pragma once
#include <QImage>
#include <QString>
#include <atomic>

namespace orvane::app {

// The image format of a picture file name's extension: "png", "tiff" or "jpeg"; empty for any
// other.
QByteArray PictureFormatOf(const QString& fileName);

// "Could not save the view to "name": why".
QString SaveFailureText(const QString& fileName, const QString& why);

// Writes `picture` to `fileName` in the format of its extension, all or nothing: into a
// temporary file in the same folder, renamed over the target only once everything was
// written. On failure nothing new is left behind (a file already there keeps its content) and
// `error` says why, naming the file. When `cancel` is given and true once the picture is
// encoded, nothing is written and `error` stays empty.
bool WritePictureFile(const QImage& picture, const QString& fileName, QString& error,
                      const std::atomic<bool>* cancel = nullptr);

} // namespace orvane::app
