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

void TTarsunFrame::LoadTextureButtonClick() {
    const QString tiffName = OpenDialog1.FileName;
    const QString tiffFilter = OpenDialog1.Filter;
    OpenDialog1.Filter = TextureFilter();
    OpenDialog1.Title = QStringLiteral("Load Texture");
    const bool chosen = OpenDialog1.Execute(this);
    OpenDialog1.Filter = tiffFilter;
    OpenDialog1.Title.clear();
    if (!chosen)
        return;
    // A picture that cannot be read leaves the texture as it was; the dialog keeps the
    // picture's name so that the user can correct it.
    if (LoadTextureFile(OpenDialog1.FileName))
        OpenDialog1.FileName = tiffName;
}

bool TTarsunFrame::LoadTextureFile(const QString& pictureName) {
    QImage picture;
    QString error;
    if (!view3d::LoadTexturePicture(pictureName, picture, error)) {
        app::ShowMessage(this, image::MessageKind::Error, error);
        return false;
    }
    view3d::ApplyTexturePicture(Scene1.HeightField1, picture, pictureName, image_.SpanWidth,
                                image_.SpanHeight);
    emit MenuStateChanged();
    return true;
}

void TTarsunFrame::RemoveTextureButtonClick() {
    view3d::ClearTexturePicture(Scene1.HeightField1.Material.Texture);
    emit MenuStateChanged();
}

} // namespace orvane::app
