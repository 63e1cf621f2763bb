// The texture overlay's wiring: loading a picture onto the relief and removing
// it. The picture decoding and the texture's settings live in view3d/.
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "view3d/TextureFile.h"
#include "view3d/TextureMapping.h"

namespace orvane::app {

namespace {

// TIFF first, as the dialog is otherwise used for TIFF height maps; the other formats
// Qt's image plugins decode follow.
QString TextureFilter() {
    return QStringLiteral("Tif File (*.tif *.tiff);;Pictures (*.png *.jpg *.jpeg *.bmp)");
}

} // namespace

void ImageFrame::ChooseTexture() {
    const QString tiffName = openDialog_.FileName;
    const QString tiffFilter = openDialog_.Filter;
    openDialog_.Filter = TextureFilter();
    openDialog_.Title = QStringLiteral("Load Texture");
    const bool chosen = openDialog_.Execute(this);
    openDialog_.Filter = tiffFilter;
    openDialog_.Title.clear();
    if (!chosen)
        return;
    // A picture that cannot be read leaves the texture as it was; the dialog keeps the
    // picture's name so that the user can correct it.
    if (LoadTextureFile(openDialog_.FileName))
        openDialog_.FileName = tiffName;
}

bool ImageFrame::LoadTextureFile(const QString& pictureName) {
    QImage picture;
    QString error;
    if (!view3d::LoadTexturePicture(pictureName, picture, error)) {
        app::ShowMessage(this, image::MessageKind::Error, error);
        return false;
    }
    view3d::ApplyTexturePicture(scene_.heightField, picture, pictureName, image_.SpanWidth,
                                image_.SpanHeight);
    emit MenuStateChanged();
    return true;
}

void ImageFrame::RemoveTexture() {
    view3d::ClearTexturePicture(scene_.heightField.material.texture);
    emit MenuStateChanged();
}

} // namespace orvane::app
