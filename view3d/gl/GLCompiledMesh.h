#pragma once

#include "view3d/BandedMeshBuild.h"
#include "view3d/MeshStrips.h"

#include <vector>

namespace orvane::view3d {

// How a mesh reaches the GL.
enum class TGLMeshPath {
    // One vertex buffer of interleaved normals and positions, drawn by glMultiDrawArrays.
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

    // Builds the layout and compiles it. A vertex buffer is built in place: the bands write
    // straight into the mapped buffer, with no copy in between; the buffer of the last
    // compile is written again when it is large enough.
    void Compile(const TMeshLayout& layout, int threadCount = 0);
    // Compiles a mesh already in memory.
    void Compile(const TMeshStrips& strips);
    // A display list filled by the height field's one-pass build on this thread.
    void CompileOnePass(const TGLHeightField& field);

    // Draws the strips after the face and fill state the mesh asks for (callers restore it).
    void Draw() const;
    // Gives the buffer or list back to the driver.
    void Release();

    bool Empty() const { return FName == 0; }
    long long TriangleCount() const { return FTriangles; }
    TGLMeshPath Path() const { return FPath; }

private:
    void SetStrips(bool twoSided, int stripCount, int verticesPerStrip);
    bool CreateBuffer(const float* data, long long floatCount);

    TGLMeshPath FPath;
    unsigned FName = 0; // buffer object or display list
    long long FCapacityFloats = 0;
    bool FTwoSided = false;
    long long FTriangles = 0;
    std::vector<int> FFirsts; // first vertex and vertex count of every strip
    std::vector<int> FCounts;
};

} // namespace orvane::view3d
