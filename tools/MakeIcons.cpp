// Writes Orvane's icon as the icon theme's files: <folder>/<N>x<N>/apps/orvane.png
// for every size the windows use, so the desktop entry shows the same icon.
#include "app/AppIcon.h"

#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <icon-theme-folder>\n", argv[0]);
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (int size : orvane::app::kIconSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!theme.mkpath(folder) ||
            !orvane::app::DrawAppIcon(size).save(theme.filePath(folder + "/orvane.png"))) {
            std::fprintf(stderr, "cannot write the %d-pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
