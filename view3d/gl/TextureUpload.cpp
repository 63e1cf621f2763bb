#include "view3d/gl/TextureUpload.h"

#include <QOpenGLContext>

#include <GL/gl.h>

#include <new>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
#ifndef GL_COMPRESSED_RGB
#define GL_COMPRESSED_RGB 0x84ED
#endif
#ifndef GL_TEXTURE_COMPRESSION_HINT
#define GL_TEXTURE_COMPRESSION_HINT 0x84EF
#endif

namespace orvane::view3d {

TextureCaps QueryTextureCaps() {
    TextureCaps caps;
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (!ctx) {
        return caps;
    }
    const QPair<int, int> version = ctx->format().version();
    caps.NonPowerOfTwo =
        version >= qMakePair(2, 0) || ctx->hasExtension("GL_ARB_texture_non_power_of_two");
    caps.Compression =
        version >= qMakePair(1, 3) || ctx->hasExtension("GL_ARB_texture_compression");
    caps.EdgeClamp = version >= qMakePair(1, 2) || ctx->hasExtension("GL_EXT_texture_edge_clamp") ||
                     ctx->hasExtension("GL_SGIS_texture_edge_clamp");
    caps.CubeMap = version >= qMakePair(1, 3) || ctx->hasExtension("GL_ARB_texture_cube_map");
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize > 0) {
        caps.MaxSize = maxSize;
    }
    return caps;
}

unsigned TextureObject::Update(const Texture& texture, const TextureCaps& caps) {
    if (source_ != &texture || revision_ != texture.ImageRevision()) {
        source_ = &texture;
        revision_ = texture.ImageRevision();
        hasTexels_ = false;
        try {
            // The prepared copy lives only until it is handed to GL.
            const TextureBitmap bitmap =
                PrepareTextureBitmap(texture.Image(), texture.ImageBrightness(),
                                     TextureSizeLimits{caps.NonPowerOfTwo, caps.MaxSize});
            if (!bitmap.Rgb.empty()) {
                Upload(bitmap, caps);
                hasTexels_ = true;
            }
        } catch (const std::bad_alloc&) {
            // No memory for the texels: the relief is drawn without its picture.
        }
    }
    return hasTexels_ ? name_ : 0;
}

void TextureObject::Upload(const TextureBitmap& bitmap, const TextureCaps& caps) {
    if (name_ == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        name_ = name;
    }
    glBindTexture(GL_TEXTURE_2D, name_);
    GLint internalFormat = GL_RGB8;
    if (caps.Compression) {
        glHint(GL_TEXTURE_COMPRESSION_HINT, GL_DONT_CARE);
        internalFormat = GL_COMPRESSED_RGB;
    }
    const GLint wrap = caps.EdgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP;
    const GLfloat border[4] = {0, 0, 0, 0};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);

    // Rows are tightly packed 3-byte texels.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, bitmap.Width, bitmap.Height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, bitmap.Rgb.data());
    glPopClientAttrib();
    ++uploads_;
    size_ = TextureSize{bitmap.Width, bitmap.Height};
    internalFormat_ = internalFormat;
}

void TextureObject::Release() {
    if (name_ != 0) {
        const GLuint name = name_;
        glDeleteTextures(1, &name);
    }
    name_ = 0;
    source_ = nullptr;
    revision_ = 0;
    hasTexels_ = false;
}

} // namespace orvane::view3d
