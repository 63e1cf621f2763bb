#include "view3d/gl/SceneViewer.h"

#include <GL/gl.h>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

namespace orvane::view3d {

SceneViewer::SceneViewer(QWidget* parent) : QOpenGLWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromLatin1(HintText()));
    // Moves without a button still update the stored pointer position.
    setMouseTracking(true);
}

SceneViewer::~SceneViewer() {
    // The context outlives this part of the object: its destruction signal
    // must not reach ReleaseGL once this destructor has run.
    if (context())
        disconnect(context(), nullptr, this, nullptr);
    ReleaseGL();
    SetScene(nullptr);
}

const char* SceneViewer::HintText() {
    return "Use left mouse button to rotate, right button to move, wheel to zoom.";
}

void SceneViewer::SetScene(Scene* scene) {
    if (scene_) {
        scene_->notifier.RemoveListener(listenerId_);
    }
    scene_ = scene;
    listenerId_ = 0;
    if (scene_) {
        listenerId_ = scene_->notifier.AddListener([this] { update(); });
    }
    update();
}

void SceneViewer::initializeGL() {
    // A new context (after a reparent) has no display list yet; the old one was freed in
    // ReleaseGL when its context went away.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &SceneViewer::ReleaseGL,
            Qt::UniqueConnection);
}

void SceneViewer::ReleaseGL() {
    if (!context()) {
        return;
    }
    makeCurrent();
    renderer_.ReleaseGL();
    doneCurrent();
}

void SceneViewer::SetInMotion(bool inMotion) {
    if (inMotion == renderer_.InMotion()) {
        return;
    }
    renderer_.SetInMotion(inMotion);
    if (!inMotion && renderer_.LastDrawCoarse()) {
        update();
    }
}

void SceneViewer::PrepareMesh() {
    if (!scene_ || !isVisible() || !isValid() || !scene_->heightField.Visible()) {
        return;
    }
    makeCurrent();
    renderer_.PrepareMeshes(scene_->heightField);
    doneCurrent();
}

void SceneViewer::RenderNow() {
    if (!isValid()) {
        return;
    }
    makeCurrent();
    paintGL();
    glFinish();
    doneCurrent();
}

void SceneViewer::paintGL() {
    if (!scene_) {
        return;
    }
    const qreal dpr = devicePixelRatioF();
    renderer_.Render(*scene_, width(), height(), qRound(width() * dpr), qRound(height() * dpr));
}

void SceneViewer::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->buttons(), p.x(), p.y());
}

void SceneViewer::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseMove(event->buttons(), p.x(), p.y());
}

void SceneViewer::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseUp(event->button(), event->buttons(), p.x(), p.y());
}

void SceneViewer::enterEvent(QEnterEvent* event) {
    QOpenGLWidget::enterEvent(event);
    emit mouseEnter();
}

void SceneViewer::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta().y());
    event->accept();
}

} // namespace orvane::view3d
