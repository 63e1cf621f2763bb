#pragma once

#include "view3d/BandedMeshBuild.h"
#include "view3d/GridMesh.h"

#include <vector>

namespace orvane::view3d {

// How a mesh reaches the GL.
enum class TGLMeshPath {
    // A vertex buffer of the grid's interleaved normals and positions, each point once, and
    // an index buffer of its strips, drawn by glMultiDrawElements.
    VertexBuffer,
    // A display list of immediate-mode strips.
    DisplayList,
};

// One mesh on the GL side: compiled once, drawn every frame. The context that compiled it
// must be current for every call.
class TGLCompiledMesh {
public:
    explicit TGLCompiledMesh(TGLMeshPath path = TGLMeshPath::VertexBuffer) : FPath(path) {}
    TGLCompiledMesh(const TGLCompiledMesh&) = delete;
    TGLCompiledMesh& operator=(const TGLCompiledMesh&) = delete;

    // Builds the layout and compiles it. Vertex buffers are filled in place: the bands write
    // straight into the mapped buffer. Buffers of the last compile are written again when
    // they are large enough, the strips' indices kept when the grid has the same size.
    void Compile(const TMeshLayout& layout, int threadCount = 0);
    // Compiles a mesh already in memory.
    void Compile(const TGridMesh& mesh);
    // A display list filled by the height field's one-pass build on this thread.
    void CompileOnePass(const TGLHeightField& field);

    // Draws the strips after the face and fill state the mesh asks for (callers restore it).
    void Draw() const;
    // Gives the buffers or the list back to the driver.
    void Release();

    bool Empty() const { return FName == 0; }
    long long TriangleCount() const { return FTriangles; }
    TGLMeshPath Path() const { return FPath; }

private:
    // Makes the bound array buffer hold at least `bytes`; false when the driver had no room.
    bool ReserveVertices(long long bytes);
    bool PrepareIndices(int columns, int rows);
    void SetGrid(bool twoSided, int columns, int rows);

    TGLMeshPath FPath;
    unsigned FName = 0;    // vertex buffer or display list
    unsigned FIndices = 0; // index buffer
    long long FVertexBytes = 0;
    int FIndexColumns = 0; // the grid the index buffer holds the strips of
    int FIndexRows = 0;
    bool FTwoSided = false;
    long long FTriangles = 0;
    std::vector<int> FCounts; // indices of every strip and where they start, in bytes
    std::vector<const void*> FOffsets;
};

} // namespace orvane::view3d
