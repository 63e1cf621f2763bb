#include "panels/RecentFiles.h"

#include <QDir>
#include <QFileInfo>

namespace orvane::panels {

namespace {

// "a/./b.tif" and "a/b.tif" are one file; a relative path is taken from the working folder.
QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList WithRecentFile(const QStringList& files, const QString& path, int limit) {
    QStringList result = WithoutRecentFile(files, path);
    result.prepend(Normalised(path));
    while (result.size() > limit) {
        result.removeLast();
    }
    return result;
}

QStringList WithoutRecentFile(const QStringList& files, const QString& path) {
    const QString target = Normalised(path);
    QStringList result;
    for (const QString& file : files) {
        if (Normalised(file) != target) {
            result << file;
        }
    }
    return result;
}

QString RecentFileMenuText(int index, const QString& path) {
    QString text = QDir::toNativeSeparators(path);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(text);
}

} // namespace orvane::panels
