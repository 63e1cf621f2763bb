#pragma once

#include "view3d/HeightField.h"

namespace orvane::view3d {

// Sends the height-field mesh to OpenGL as immediate-mode triangle strips; used inside
// glNewList/glEndList so that the mesh is compiled once and replayed every frame.
class GLMeshSink : public HeightFieldSink {
public:
    void BeginMesh(bool twoSided) override;
    void BeginStrip() override;
    void Vertex(const float normal[3], float x, float y, float z) override;
    void EndStrip() override;
};

} // namespace orvane::view3d
