#pragma once

#include "view3d/BandedMeshBuild.h"
#include "view3d/GridMesh.h"

#include <functional>
#include <vector>

namespace orvane::view3d {

// How a mesh reaches the GL.
enum class MeshPath {
    // A vertex buffer of the grid's interleaved normals and positions, each point once, and
    // an index buffer of its strips, drawn by glMultiDrawElements.
    VertexBuffer,
    // A display list of immediate-mode strips.
    DisplayList,
};

// One mesh on the GL side: compiled once, drawn every frame. The context that compiled it
// must be current for every call.
class CompiledMesh {
public:
    explicit CompiledMesh(MeshPath path = MeshPath::VertexBuffer) : path_(path) {}
    CompiledMesh(const CompiledMesh&) = delete;
    CompiledMesh& operator=(const CompiledMesh&) = delete;

    // Builds the layout and compiles it. Vertex buffers are filled in place: the bands write
    // straight into the mapped buffer. Buffers of the last compile are written again when
    // they are large enough, the strips' indices kept when the grid has the same size.
    void Compile(const MeshLayout& layout, int threadCount = 0);
    // Compiles a mesh already in memory.
    void Compile(const GridMesh& mesh);
    // A display list filled by the height field's one-pass build on this thread.
    void CompileOnePass(const HeightField& field);

    // Draws the strips after the face and fill state the mesh asks for (callers restore it).
    void Draw() const;
    // Gives the buffers or the list back to the driver.
    void Release();

    bool Empty() const { return name_ == 0; }
    long long TriangleCount() const { return triangles_; }
    MeshPath Path() const { return path_; }

private:
    // glMultiDrawElements (GLenum, const GLsizei*, GLenum, const void* const*, GLsizei).
    using MultiDrawElements = void (*)(unsigned, const int*, unsigned, const void* const*, int);

    // Makes the bound array buffer hold at least `bytes`; false when the driver had no room.
    bool ReserveVertices(long long bytes);
    bool PrepareIndices(int columns, int rows);
    // Draws the runs of the strips of a grid `columns` wide from the full index buffer.
    void SetRuns(bool twoSided, int columns, const std::vector<StripRun>& runs);
    // Records what `send` gives a GL sink into a new display list and counts its triangles.
    // The list is kept when `send` throws: what was recorded is drawn. False when the driver
    // gave no list.
    bool RecordList(bool twoSided, const std::function<void(HeightFieldSink&)>& send);

    MeshPath path_;
    unsigned name_ = 0;    // vertex buffer or display list
    unsigned indices_ = 0; // index buffer
    long long vertexBytes_ = 0;
    int indexColumns_ = 0; // the grid the index buffer holds the strips of
    int indexRows_ = 0;
    bool twoSided_ = false;
    long long triangles_ = 0;
    std::vector<int> counts_; // indices of every strip's run and where they start, in bytes
    std::vector<const void*> offsets_;
    // Resolved when the buffers are compiled; without it the strips are drawn one by one.
    MultiDrawElements multiDraw_ = nullptr;
};

} // namespace orvane::view3d
