// The texture overlay's wiring: loading a picture onto the relief and removing it. The
// picture decoding, plane arithmetic and GL preparation live in view3d/.
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "view3d/TextureFile.h"
#include "view3d/TextureMapping.h"

#include <QAction>

using namespace orvane::view3d;

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
    const bool chosen = OpenDialog1.Execute(this);
    OpenDialog1.Filter = tiffFilter;
    if (!chosen)
        return;

    // A picture that cannot be read leaves the texture as it was; the dialog keeps the
    // picture's name so that the user can correct it.
    QImage picture;
    QString error;
    if (!LoadTexturePicture(OpenDialog1.FileName, picture, error)) {
        ShowMessage(this, MessageKind::Plain, error);
        return;
    }
    TGLTexture& texture = Scene1.HeightField1.Material.Texture;
    texture.SetImage(picture, OpenDialog1.FileName);
    OpenDialog1.FileName = tiffName;

    const TGLHeightField& field = Scene1.HeightField1;
    SetTexturePlanes(texture, ImageWidth * ColumnStep, ImageHeight * RowStep,
                     field.XSamplingScale.Max(), field.YSamplingScale.Max());
    texture.SetImageBrightness(1.5f);
    texture.SetTextureMode(TGLTextureMode::Modulate);
    texture.SetDisabled(false);
    SetMenuEnabled(Menus.RemoveTexture1, true);
}

void TTarsunFrame::RemoveTextureButtonClick() {
    TGLTexture& texture = Scene1.HeightField1.Material.Texture;
    texture.SetDisabled(true);
    texture.SetImageBrightness(1.0f);
    texture.SetTextureMode(TGLTextureMode::Replace);
    texture.ClearImage();
    SetMenuEnabled(Menus.RemoveTexture1, false);
}
