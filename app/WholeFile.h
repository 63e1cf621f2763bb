#pragma once
#include <QByteArray>
#include <QString>

namespace orvane::app {

// Writes `bytes` to `fileName` all or nothing: into a temporary file in the same folder,
// renamed over the target only once every byte was written, in one unbuffered write whose
// count shows a short write (a full disk) that a buffered write can let through unnoticed.
// On failure nothing new is left behind (a file already there keeps its content) and `why`
// says what went wrong, without the file's name.
bool WriteWholeFile(const QByteArray& bytes, const QString& fileName, QString& why);

} // namespace orvane::app
