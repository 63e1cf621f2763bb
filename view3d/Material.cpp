#include "view3d/Material.h"

namespace orvane::view3d {

void TGLTexture::SetDisabled(bool v) {
    FDisabled = v;
    Changed();
}

void TGLTexture::SetTextureMode(TGLTextureMode v) {
    FTextureMode = v;
    Changed();
}

void TGLTexture::SetImageBrightness(float v) {
    if (v != FImageBrightness) {
        ++FImageRevision;
    }
    FImageBrightness = v;
    Changed();
}

void TGLTexture::SetMappingSCoordinate(int index, float v) {
    FMappingS[index] = v;
    Changed();
}

void TGLTexture::SetMappingTCoordinate(int index, float v) {
    FMappingT[index] = v;
    Changed();
}

void TGLTexture::SetImage(const QImage& picture, const QString& fileName) {
    FImage = picture;
    FImageFileName = fileName;
    ++FImageRevision;
    Changed();
}

void TGLTexture::ClearImage() {
    FImage = QImage();
    FImageFileName.clear();
    ++FImageRevision;
    Changed();
}

void TGLMaterial::SetFrontProperties(const TGLFaceProperties& p) {
    FFront = p;
    if (FOnChange) {
        FOnChange();
    }
}

void TGLMaterial::SetBackProperties(const TGLFaceProperties& p) {
    FBack = p;
    if (FOnChange) {
        FOnChange();
    }
}

} // namespace orvane::view3d
