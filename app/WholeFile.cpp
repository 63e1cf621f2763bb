#include "app/WholeFile.h"

#include <QSaveFile>

namespace orvane::app {

bool WriteWholeFile(const QByteArray& bytes, const QString& fileName, QString& why) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        why = file.error() != QFileDevice::NoError
                  ? file.errorString()
                  : QStringLiteral("the disk is full or the file too large.");
        file.cancelWriting(); // the temporary file goes; the target is untouched
        return false;
    }
    if (!file.commit()) {
        why = file.errorString();
        return false;
    }
    return true;
}

} // namespace orvane::app
