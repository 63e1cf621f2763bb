#pragma once

#include "view3d/Material.h"
#include "view3d/TexturePicture.h"

#include <cstdint>

namespace orvane::view3d {

// What the current context's driver offers for textures.
struct TTextureCaps {
    bool NonPowerOfTwo = false;
    bool Compression = false;
    bool EdgeClamp = false;
    bool CubeMap = false;
    int MaxSize = 64; // the least every GL must support
};

// Reads the capabilities of the current OpenGL context.
TTextureCaps QueryTextureCaps();

// The GL texture object of one material texture. Uploads again on the first use after the
// texture's picture or brightness changed; the context that created it must be current for
// every call.
class TGLTextureObject {
public:
    // Returns the texture name ready to bind, or 0 when there is no picture to show.
    unsigned Update(const TGLTexture& texture, const TTextureCaps& caps);

    // Deletes the texture object.
    void Release();

    unsigned Name() const { return FName; }
    int UploadCount() const { return FUploads; }
    // Size and internal format of the last upload (0 when none).
    TTextureSize UploadedSize() const { return FSize; }
    int InternalFormat() const { return FInternalFormat; }

private:
    void Upload(const TTextureBitmap& bitmap, const TTextureCaps& caps);

    unsigned FName = 0;
    const TGLTexture* FSource = nullptr;
    std::uint64_t FRevision = 0;
    bool FHasTexels = false;
    int FUploads = 0;
    TTextureSize FSize;
    int FInternalFormat = 0;
};

} // namespace orvane::view3d
