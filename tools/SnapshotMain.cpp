#include "tools/Snapshot.h"

#include <QApplication>
#include <QSurfaceFormat>
#include <cstdio>

int main(int argc, char** argv) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);

    QApplication app(argc, argv);
    SnapshotOptions options;
    if (auto error = ParseSnapshotArguments(QApplication::arguments().mid(1), options)) {
        std::fprintf(stderr, "orvane-snapshot: %s\n", qPrintable(*error));
        std::fprintf(stderr,
                     "usage: orvane-snapshot [--size WxH] [--3d] [--wheel N] [--resolution P] "
                     "[--zdepth P]\n                       [--texture PICTURE] [--info] "
                     "[--press X,Y] [--png OUT.png] [--json OUT.json|-] TIFF\n");
        return 2;
    }
    return RunSnapshot(options);
}
