#include "view3d/gl/SurfaceFormat.h"

#include <QSurfaceFormat>

namespace orvane::view3d {

void UseCompatibilitySurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    QSurfaceFormat::setDefaultFormat(format);
}

} // namespace orvane::view3d
