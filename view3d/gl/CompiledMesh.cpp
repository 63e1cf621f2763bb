#include "view3d/gl/CompiledMesh.h"

#include "view3d/gl/GLMeshSink.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <cstdint>
#include <type_traits>

#ifndef GL_WRITE_ONLY
#define GL_WRITE_ONLY 0x88B9
#endif

namespace orvane::view3d {

namespace {

using MapBufferFunction = void* (*)(GLenum, GLenum);
using UnmapBufferFunction = GLboolean (*)(GLenum);

QOpenGLFunctions* Functions() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? ctx->functions() : nullptr;
}

template <typename T> T Resolve(const char* name) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? reinterpret_cast<T>(ctx->getProcAddress(name)) : nullptr;
}

// The GL sink, counting the triangles of the strips it is given.
class TriangleCountingSink : public GLMeshSink {
public:
    void BeginStrip() override {
        GLMeshSink::BeginStrip();
        stripVertices_ = 0;
    }
    void Vertex(const float normal[3], float x, float y, float z) override {
        GLMeshSink::Vertex(normal, x, y, z);
        ++stripVertices_;
    }
    void EndStrip() override {
        GLMeshSink::EndStrip();
        triangles_ += stripVertices_ > 2 ? stripVertices_ - 2 : 0;
    }
    long long Triangles() const { return triangles_; }

private:
    long long stripVertices_ = 0;
    long long triangles_ = 0;
};

void DrainErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Fills the bound buffer of `target` through a mapping; false when the mapping failed or
// its contents were lost before the unmapping (the caller fills it another way).
template <typename Fill> bool FillMapped(GLenum target, const Fill& fill) {
    const auto mapBuffer = Resolve<MapBufferFunction>("glMapBuffer");
    const auto unmapBuffer = Resolve<UnmapBufferFunction>("glUnmapBuffer");
    if (!mapBuffer || !unmapBuffer) {
        return false;
    }
    void* mapped = mapBuffer(target, GL_WRITE_ONLY);
    if (!mapped) {
        return false;
    }
    try {
        fill(mapped);
    } catch (...) {
        unmapBuffer(target);
        throw;
    }
    return unmapBuffer(target) == GL_TRUE;
}

} // namespace

void CompiledMesh::SetRuns(bool twoSided, int columns, const std::vector<StripRun>& runs) {
    twoSided_ = twoSided;
    triangles_ = RunTriangles(runs);
    counts_.resize(runs.size());
    offsets_.resize(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const StripRun& run = runs[i];
        counts_[i] = 2 * run.Columns;
        // Where FillStripIndices put the run's first index.
        const std::uintptr_t first =
            2 * (static_cast<std::uintptr_t>(run.Strip) * static_cast<std::uintptr_t>(columns) +
                 static_cast<std::uintptr_t>(run.FirstColumn));
        offsets_[i] = reinterpret_cast<const void*>(first * sizeof(std::uint32_t));
    }
}

bool CompiledMesh::RecordList(bool twoSided, const std::function<void(HeightFieldSink&)>& send) {
    name_ = glGenLists(1);
    if (name_ == 0) {
        return false;
    }
    glNewList(name_, GL_COMPILE);
    TriangleCountingSink sink;
    try {
        send(sink);
    } catch (...) {
        glEndList();
        throw;
    }
    glEndList();
    twoSided_ = twoSided;
    triangles_ = sink.Triangles();
    return true;
}

bool CompiledMesh::ReserveVertices(long long bytes) {
    if (vertexBytes_ >= bytes) {
        return true;
    }
    // Fresh driver memory costs a page fault per page on first touch, a large part of a
    // rebuild on a CPU renderer: a buffer is only ever grown.
    DrainErrors();
    Functions()->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr,
                              GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        vertexBytes_ = 0;
        return false;
    }
    vertexBytes_ = bytes;
    return true;
}

bool CompiledMesh::PrepareIndices(int columns, int rows) {
    QOpenGLFunctions* f = Functions();
    if (indices_ == 0) {
        GLuint name = 0;
        f->glGenBuffers(1, &name);
        indices_ = name;
        indexColumns_ = indexRows_ = 0;
    }
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
    if (indexColumns_ == columns && indexRows_ == rows) {
        return true; // the same grid: the same strips
    }
    const StripCounts strips = GridStrips(columns, rows);
    const size_t count =
        static_cast<size_t>(strips.Strips) * static_cast<size_t>(strips.VerticesPerStrip);
    DrainErrors();
    f->glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(std::uint32_t)),
                    nullptr, GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        indexColumns_ = indexRows_ = 0;
        return false;
    }
    auto fill = [columns, rows](void* out) {
        FillStripIndices(columns, rows, static_cast<std::uint32_t*>(out));
    };
    if (!FillMapped(GL_ELEMENT_ARRAY_BUFFER, fill)) {
        std::vector<std::uint32_t> indices(count);
        fill(indices.data());
        f->glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                        static_cast<GLsizeiptr>(count * sizeof(std::uint32_t)), indices.data(),
                        GL_STATIC_DRAW);
    }
    indexColumns_ = columns;
    indexRows_ = rows;
    return true;
}

void CompiledMesh::Compile(const MeshLayout& layout, int threadCount) {
    QOpenGLFunctions* f = Functions();
    if (path_ == MeshPath::DisplayList || !f || !layout.HasMesh()) {
        Compile(BuildGridMesh(layout, threadCount));
        return;
    }
    if (name_ == 0) {
        GLuint name = 0;
        f->glGenBuffers(1, &name);
        name_ = name;
        vertexBytes_ = 0;
    }
    f->glBindBuffer(GL_ARRAY_BUFFER, name_);
    const long long bytes = static_cast<long long>(layout.FloatCount() * sizeof(float));
    bool ready = ReserveVertices(bytes) && PrepareIndices(layout.Columns(), layout.Rows());
    bool filled = false;
    MissingColumns missing;
    if (ready) {
        try {
            filled = bytes == 0 ||
                     FillMapped(GL_ARRAY_BUFFER, [&layout, threadCount, &missing](void* out) {
                         missing = layout.Build(static_cast<float*>(out), threadCount);
                     });
        } catch (...) {
            f->glBindBuffer(GL_ARRAY_BUFFER, 0);
            f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
            Release();
            throw;
        }
    }
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (!ready) {
        Release(); // no room in the driver: nothing is drawn rather than a failed frame
        return;
    }
    if (!filled) {
        Compile(BuildGridMesh(layout, threadCount));
        return;
    }
    multiDraw_ = Resolve<MultiDrawElements>("glMultiDrawElements");
    SetRuns(layout.TwoSided(), layout.Columns(),
            GridStripRuns(layout.Columns(), layout.Rows(), missing));
}

void CompiledMesh::Compile(const GridMesh& mesh) {
    Release();
    if (!mesh.HasMesh) {
        return;
    }
    if (path_ == MeshPath::DisplayList) {
        RecordList(mesh.TwoSided, [&mesh](HeightFieldSink& sink) { mesh.Replay(sink); });
        return;
    }
    QOpenGLFunctions* f = Functions();
    if (!f) {
        return;
    }
    GLuint name = 0;
    f->glGenBuffers(1, &name);
    name_ = name;
    f->glBindBuffer(GL_ARRAY_BUFFER, name_);
    const long long bytes = static_cast<long long>(mesh.Vertices.size() * sizeof(float));
    const bool ready = ReserveVertices(bytes) && PrepareIndices(mesh.Columns, mesh.Rows);
    if (ready) {
        f->glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes),
                           mesh.Vertices.data());
    }
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (!ready) {
        Release();
        return;
    }
    multiDraw_ = Resolve<MultiDrawElements>("glMultiDrawElements");
    SetRuns(mesh.TwoSided, mesh.Columns, mesh.StripRuns());
}

void CompiledMesh::CompileOnePass(const HeightField& field) {
    Release();
    path_ = MeshPath::DisplayList;
    RecordList((field.Options() & kTwoSidedOption) != 0,
               [&field](HeightFieldSink& sink) { field.BuildList(sink); });
}

void CompiledMesh::Draw() const {
    if (name_ == 0) {
        return;
    }
    if (path_ == MeshPath::DisplayList) {
        glCallList(name_);
        return;
    }
    QOpenGLFunctions* f = Functions();
    if (!f || counts_.empty()) {
        return;
    }
    if (twoSided_) {
        // Both faces of the relief can be seen (from below the horizon).
        glDisable(GL_CULL_FACE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    f->glBindBuffer(GL_ARRAY_BUFFER, name_);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    const GLsizei stride = GridMesh::FloatsPerVertex * sizeof(float);
    glNormalPointer(GL_FLOAT, stride, nullptr);
    glVertexPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
    static_assert(std::is_same_v<MultiDrawElements, void (*)(GLenum, const GLsizei*, GLenum,
                                                             const void* const*, GLsizei)>);
    if (multiDraw_) {
        multiDraw_(GL_TRIANGLE_STRIP, counts_.data(), GL_UNSIGNED_INT, offsets_.data(),
                   static_cast<GLsizei>(counts_.size()));
    } else {
        for (size_t s = 0; s < counts_.size(); ++s) {
            glDrawElements(GL_TRIANGLE_STRIP, counts_[s], GL_UNSIGNED_INT, offsets_[s]);
        }
    }
    glPopClientAttrib();
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void CompiledMesh::Release() {
    if (name_ != 0 && path_ == MeshPath::DisplayList) {
        glDeleteLists(name_, 1);
    } else if (QOpenGLFunctions* f = Functions()) {
        for (unsigned name : {name_, indices_}) {
            if (name != 0) {
                const GLuint buffer = name;
                f->glDeleteBuffers(1, &buffer);
            }
        }
    }
    name_ = 0;
    indices_ = 0;
    vertexBytes_ = 0;
    indexColumns_ = indexRows_ = 0;
    triangles_ = 0;
    counts_.clear();
    offsets_.clear();
    multiDraw_ = nullptr;
}

} // namespace orvane::view3d
