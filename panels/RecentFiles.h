#pragma once

// The list behind File > Open Recent: the files last opened, most recent first.

#include <QString>
#include <QStringList>

namespace orvane::panels {

constexpr int kMaxRecentFiles = 8;

// `path` first, then the others in their order without it (paths compared as absolute, cleaned
// paths), at most `limit` of them.
QStringList WithRecentFile(const QStringList& files, const QString& path,
                           int limit = kMaxRecentFiles);

// The list without `path`.
QStringList WithoutRecentFile(const QStringList& files, const QString& path);

} // namespace orvane::panels
