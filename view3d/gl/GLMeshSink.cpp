#include "view3d/gl/GLMeshSink.h"

#include <GL/gl.h>

namespace orvane::view3d {

void GLMeshSink::BeginMesh(bool twoSided) {
    if (twoSided) {
        // Both faces of the relief can be seen (from below the horizon).
        glDisable(GL_CULL_FACE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void GLMeshSink::BeginStrip() {
    glBegin(GL_TRIANGLE_STRIP);
}

void GLMeshSink::Vertex(const float normal[3], float x, float y, float z) {
    glNormal3fv(normal);
    glVertex3f(x, y, z);
}

void GLMeshSink::EndStrip() {
    glEnd();
}

} // namespace orvane::view3d
