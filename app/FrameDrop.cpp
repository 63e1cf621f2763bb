// Files dropped onto the window: a TIFF opens as File > Open opens it (any other file gets the
// open's own messages); a picture dropped onto the 3D view in 3D mode becomes the texture.
#include "app/ImageFrame.h"
#include "view3d/gl/SceneViewer.h"

#include <QFileInfo>
#include <QToolButton>

namespace orvane::app {

namespace {

// The pictures Load Texture offers besides TIFF: a TIFF dropped onto the relief is taken for a
// height map, the viewer's own kind of file.
bool IsTexturePicture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("png") || suffix == QLatin1String("jpg") ||
           suffix == QLatin1String("jpeg") || suffix == QLatin1String("bmp");
}

} // namespace

bool ImageFrame::AcceptsDrops() const {
    return !Busy() && !view_.Loading;
}

void ImageFrame::DropFile(const QString& path, QPoint at) {
    if (!AcceptsDrops())
        return;
    const QWidget* target = childAt(at);
    const bool ontoRelief = image_.HasImage() && ReliefShown() && target &&
                            (target == ui_.sceneViewer || ui_.sceneViewer->isAncestorOf(target));
    if (ontoRelief && IsTexturePicture(path)) {
        LoadTextureFile(path);
        return;
    }
    OpenChosenFile(path);
}

} // namespace orvane::app
