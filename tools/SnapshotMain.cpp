#include "app/ProcessSetup.h"
#include "tools/Snapshot.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    orvane::app::SetUpProcess(); // the surface format before the application exists
    QApplication app(argc, argv);
    orvane::tools::SnapshotOptions options;
    if (auto error =
            orvane::tools::ParseSnapshotArguments(QApplication::arguments().mid(1), options)) {
        std::fprintf(stderr, "orvane-snapshot: %s\n", qPrintable(*error));
        std::fputs("usage: orvane-snapshot [--size WxH] [--3d] [--wheel N] [--actual-pixels]\n"
                   "         [--ctrl-wheel X,Y,N] [--colour-range full|data|auto|LOW,HIGH]\n"
                   "         [--resolution P]\n"
                   "         [--zdepth P] [--texture PICTURE] [--info] [--press X,Y]\n"
                   "         [--keys KEYS] [--pointer X,Y] [--profile-width N]\n"
                   "         [--profile X1,Y1,X2,Y2] [--drag-end X1,Y1,X2,Y2]\n"
                   "         [--orbit N] [--palette NAME] [--colour-bar] [--scale-bar]\n"
                   "         [--no-timings]\n"
                   "         [--save-view OUT [--save-view-file-resolution]]\n"
                   "         [--png OUT.png] [--json OUT.json|-] TIFF\n",
                   stderr);
        return 2;
    }
    return orvane::tools::RunSnapshot(options);
}
