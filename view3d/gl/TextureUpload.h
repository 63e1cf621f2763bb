#pragma once

#include "view3d/Material.h"
#include "view3d/TexturePicture.h"

#include <cstdint>

namespace orvane::view3d {

// What the current context's driver offers for textures.
struct TextureCaps {
    bool NonPowerOfTwo = false;
    bool Compression = false;
    bool EdgeClamp = false;
    bool CubeMap = false;
    int MaxSize = 64; // the least every GL must support
};

// Reads the capabilities of the current OpenGL context.
TextureCaps QueryTextureCaps();

// The GL texture object of one material texture. Uploads again on the first use after the
// texture's picture or brightness changed; the context that created it must be current for
// every call.
class TextureObject {
public:
    // Returns the texture name ready to bind, or 0 when there is no picture to show.
    unsigned Update(const Texture& texture, const TextureCaps& caps);

    // Deletes the texture object.
    void Release();

    unsigned Name() const { return name_; }
    int UploadCount() const { return uploads_; }
    // Size and internal format of the last upload (0 when none).
    TextureSize UploadedSize() const { return size_; }
    int InternalFormat() const { return internalFormat_; }

private:
    void Upload(const TextureBitmap& bitmap, const TextureCaps& caps);

    unsigned name_ = 0;
    const Texture* source_ = nullptr;
    std::uint64_t revision_ = 0;
    bool hasTexels_ = false;
    int uploads_ = 0;
    TextureSize size_;
    int internalFormat_ = 0;
};

} // namespace orvane::view3d
