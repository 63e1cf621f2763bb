#include "view3d/Material.h"

#include "view3d/ChangeNotifier.h"

namespace orvane::view3d {

void Texture::SetDisabled(bool v) {
    if (StoreChanged(disabled_, v)) {
        Changed();
    }
}

void Texture::SetTextureMode(TextureMode v) {
    if (StoreChanged(textureMode_, v)) {
        Changed();
    }
}

void Texture::SetImageBrightness(float v) {
    if (StoreChanged(imageBrightness_, v)) {
        ++imageRevision_; // the texels change with it
        Changed();
    }
}

void Texture::SetMappingSCoordinate(int index, float v) {
    if (StoreChanged(mappingS_[index], v)) {
        Changed();
    }
}

void Texture::SetMappingTCoordinate(int index, float v) {
    if (StoreChanged(mappingT_[index], v)) {
        Changed();
    }
}

void Texture::SetImage(const QImage& picture, const QString& fileName) {
    image_ = picture;
    imageFileName_ = fileName;
    ++imageRevision_;
    Changed();
}

void Texture::ClearImage() {
    image_ = QImage();
    imageFileName_.clear();
    ++imageRevision_;
    Changed();
}

void Material::SetFrontProperties(const FaceProperties& p) {
    front_ = p;
    if (onChange_) {
        onChange_();
    }
}

void Material::SetBackProperties(const FaceProperties& p) {
    back_ = p;
    if (onChange_) {
        onChange_();
    }
}

} // namespace orvane::view3d
