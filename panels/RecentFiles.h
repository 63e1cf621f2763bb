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

// The menu item of the recent file at `index` (0 = most recent): "&1 /path/name.tif", the
// number its mnemonic, the path in the system's separators with "&" shown as itself.
QString RecentFileMenuText(int index, const QString& path);

} // namespace orvane::panels
