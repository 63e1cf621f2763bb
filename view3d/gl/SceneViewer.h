#pragma once

#include "view3d/Scene.h"
#include "view3d/gl/Renderer.h"

#include <QOpenGLWidget>

namespace orvane::view3d {

// The 3D viewer: draws a scene through its camera, repaints on every redraw request of the
// scene, and reports mouse input in viewer pixels. Needs a compatibility-profile default
// surface format with a depth buffer (set by the application before creating it).
class SceneViewer : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit SceneViewer(QWidget* parent = nullptr);
    ~SceneViewer() override;

    // The scene is not owned and must outlive the viewer or be detached with nullptr.
    void SetScene(Scene* scene);
    Scene* ShownScene() const { return scene_; }
    const SceneRenderer& Renderer() const { return renderer_; }

    // While the camera moves, frames draw the relief's coarse mesh; when the motion ends
    // after a coarse frame, the full mesh is drawn again.
    void SetInMotion(bool inMotion);
    // Builds the relief's meshes now if its structure moved, so that the next frame only
    // draws. Nothing while the viewer or the relief is hidden, or before the first frame
    // (that frame builds them).
    void PrepareMesh();
    // Draws a frame into the viewer's framebuffer now and waits until the GL has finished
    // it, for batch runs that time frames; the window shows it with its next composition.
    void RenderNow();

    static const char* HintText();

signals:
    void mouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void mouseMove(Qt::MouseButtons held, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void mouseEnter();
    // The wheel's angle delta in eighths of a degree, positive away from the user.
    void wheelTurned(int angleDelta);

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void ReleaseGL();

    Scene* scene_ = nullptr;
    int listenerId_ = 0;
    SceneRenderer renderer_;
};

} // namespace orvane::view3d
