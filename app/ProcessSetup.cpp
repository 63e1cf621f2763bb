#include "app/ProcessSetup.h"

#include "view3d/gl/SurfaceFormat.h"

#include <QLocale>

namespace orvane::app {

void SetUpProcess() {
    view3d::UseCompatibilitySurfaceFormat();
    QLocale::setDefault(QLocale::c());
}

} // namespace orvane::app
