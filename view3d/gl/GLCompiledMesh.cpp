#include "view3d/gl/GLCompiledMesh.h"

#include "view3d/gl/GLMeshSink.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#ifndef GL_WRITE_ONLY
#define GL_WRITE_ONLY 0x88B9
#endif

namespace orvane::view3d {

namespace {

using TMultiDrawArrays = void (*)(GLenum, const GLint*, const GLsizei*, GLsizei);
using TMapBuffer = void* (*)(GLenum, GLenum);
using TUnmapBuffer = GLboolean (*)(GLenum);

QOpenGLFunctions* Functions() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? ctx->functions() : nullptr;
}

template <typename T> T Resolve(const char* name) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? reinterpret_cast<T>(ctx->getProcAddress(name)) : nullptr;
}

void DrainErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

} // namespace

void TGLCompiledMesh::SetStrips(bool twoSided, int stripCount, int verticesPerStrip) {
    FTwoSided = twoSided;
    FTriangles =
        verticesPerStrip < 3 ? 0 : static_cast<long long>(stripCount) * (verticesPerStrip - 2);
    FFirsts.resize(static_cast<size_t>(stripCount));
    FCounts.assign(static_cast<size_t>(stripCount), verticesPerStrip);
    for (int s = 0; s < stripCount; ++s) {
        FFirsts[static_cast<size_t>(s)] = s * verticesPerStrip;
    }
}

bool TGLCompiledMesh::CreateBuffer(const float* data, long long floatCount) {
    QOpenGLFunctions* f = Functions();
    if (!f) {
        return false;
    }
    DrainErrors();
    GLuint name = 0;
    f->glGenBuffers(1, &name);
    FName = name;
    f->glBindBuffer(GL_ARRAY_BUFFER, name);
    f->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), data,
                    GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        // No room in the driver: draw nothing rather than fail the frame.
        f->glBindBuffer(GL_ARRAY_BUFFER, 0);
        Release();
        return false;
    }
    FCapacityFloats = floatCount;
    return true;
}

void TGLCompiledMesh::Compile(const TMeshLayout& layout, int threadCount) {
    const long long floatCount = static_cast<long long>(layout.FloatCount());
    const auto mapBuffer = Resolve<TMapBuffer>("glMapBuffer");
    const auto unmapBuffer = Resolve<TUnmapBuffer>("glUnmapBuffer");
    if (FPath == TGLMeshPath::DisplayList || !layout.HasMesh() || floatCount == 0 || !mapBuffer ||
        !unmapBuffer) {
        Compile(BuildMeshStrips(layout, threadCount));
        return;
    }
    // A buffer large enough is written again in place: fresh driver memory costs a page fault
    // per page on first touch, a large part of a rebuild on a CPU renderer.
    if (FName != 0 && FCapacityFloats >= floatCount) {
        Functions()->glBindBuffer(GL_ARRAY_BUFFER, FName);
    } else {
        Release();
        if (!CreateBuffer(nullptr, floatCount)) {
            return;
        }
    }
    bool written = false;
    if (void* mapped = mapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY)) {
        try {
            layout.Build(static_cast<float*>(mapped), threadCount);
        } catch (...) {
            unmapBuffer(GL_ARRAY_BUFFER);
            Functions()->glBindBuffer(GL_ARRAY_BUFFER, 0);
            Release();
            throw;
        }
        // False when the buffer's contents were lost meanwhile: built again below.
        written = unmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
    }
    Functions()->glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (!written) {
        Compile(BuildMeshStrips(layout, threadCount));
        return;
    }
    SetStrips(layout.TwoSided(), layout.StripCount(), layout.VerticesPerStrip());
}

void TGLCompiledMesh::Compile(const TMeshStrips& strips) {
    Release();
    if (!strips.HasMesh) {
        return;
    }
    if (FPath == TGLMeshPath::DisplayList) {
        FName = glGenLists(1);
        if (FName == 0) {
            return;
        }
        glNewList(FName, GL_COMPILE);
        TGLMeshSink sink;
        strips.Replay(sink);
        glEndList();
    } else if (!CreateBuffer(strips.Vertices.data(),
                             static_cast<long long>(strips.Vertices.size()))) {
        return;
    } else {
        Functions()->glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    SetStrips(strips.TwoSided, strips.StripCount, strips.VerticesPerStrip);
}

void TGLCompiledMesh::CompileOnePass(const TGLHeightField& field) {
    Release();
    FPath = TGLMeshPath::DisplayList;
    FName = glGenLists(1);
    if (FName == 0) {
        return;
    }
    glNewList(FName, GL_COMPILE);
    TGLMeshSink sink;
    try {
        field.BuildList(sink);
    } catch (...) {
        glEndList();
        throw;
    }
    glEndList();
    const TGridSize grid = HeightFieldGridSize(field);
    SetStrips((field.Options() & hfoTwoSided) != 0, grid.Rows > 1 ? grid.Rows - 1 : 0,
              2 * grid.Columns);
}

void TGLCompiledMesh::Draw() const {
    if (FName == 0) {
        return;
    }
    if (FPath == TGLMeshPath::DisplayList) {
        glCallList(FName);
        return;
    }
    QOpenGLFunctions* f = Functions();
    if (!f || FFirsts.empty()) {
        return;
    }
    if (FTwoSided) {
        // Both faces of the relief can be seen (from below the horizon).
        glDisable(GL_CULL_FACE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    f->glBindBuffer(GL_ARRAY_BUFFER, FName);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    const GLsizei stride = TMeshStrips::FloatsPerVertex * sizeof(float);
    glNormalPointer(GL_FLOAT, stride, nullptr);
    glVertexPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
    if (const auto multiDraw = Resolve<TMultiDrawArrays>("glMultiDrawArrays")) {
        multiDraw(GL_TRIANGLE_STRIP, FFirsts.data(), FCounts.data(),
                  static_cast<GLsizei>(FFirsts.size()));
    } else {
        for (size_t s = 0; s < FFirsts.size(); ++s) {
            glDrawArrays(GL_TRIANGLE_STRIP, FFirsts[s], FCounts[s]);
        }
    }
    glPopClientAttrib();
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void TGLCompiledMesh::Release() {
    if (FName != 0) {
        if (FPath == TGLMeshPath::DisplayList) {
            glDeleteLists(FName, 1);
        } else if (QOpenGLFunctions* f = Functions()) {
            const GLuint name = FName;
            f->glDeleteBuffers(1, &name);
        }
    }
    FName = 0;
    FCapacityFloats = 0;
    FTriangles = 0;
    FFirsts.clear();
    FCounts.clear();
}

} // namespace orvane::view3d
