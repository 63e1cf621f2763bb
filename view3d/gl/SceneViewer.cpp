#include "view3d/gl/SceneViewer.h"

#include <GL/gl.h>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

namespace orvane::view3d {

TGLSceneViewer::TGLSceneViewer(QWidget* parent) : QOpenGLWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromLatin1(HintText()));
    // Moves without a button still update the stored pointer position.
    setMouseTracking(true);
}

TGLSceneViewer::~TGLSceneViewer() {
    // The context outlives this part of the object: its destruction signal
    // must not reach ReleaseGL once this destructor has run.
    if (context())
        disconnect(context(), nullptr, this, nullptr);
    ReleaseGL();
    SetScene(nullptr);
}

const char* TGLSceneViewer::HintText() {
    return "Use left mouse button to rotate, right button to move, wheel to zoom.";
}

void TGLSceneViewer::SetScene(TGLScene* scene) {
    if (FScene) {
        FScene->Notifier.RemoveListener(FListenerId);
    }
    FScene = scene;
    FListenerId = 0;
    if (FScene) {
        FListenerId = FScene->Notifier.AddListener([this] { update(); });
    }
    update();
}

void TGLSceneViewer::initializeGL() {
    // A new context (after a reparent) has no display list yet; the old one was freed in
    // ReleaseGL when its context went away.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TGLSceneViewer::ReleaseGL,
            Qt::UniqueConnection);
}

void TGLSceneViewer::ReleaseGL() {
    if (!context()) {
        return;
    }
    makeCurrent();
    FRenderer.ReleaseGL();
    doneCurrent();
}

void TGLSceneViewer::SetInMotion(bool inMotion) {
    if (inMotion == FRenderer.InMotion()) {
        return;
    }
    FRenderer.SetInMotion(inMotion);
    if (!inMotion && FRenderer.LastDrawCoarse()) {
        update();
    }
}

void TGLSceneViewer::PrepareMesh() {
    if (!FScene || !isVisible() || !isValid() || !FScene->HeightField1.Visible()) {
        return;
    }
    makeCurrent();
    FRenderer.PrepareMeshes(FScene->HeightField1);
    doneCurrent();
}

void TGLSceneViewer::RenderNow() {
    if (!isValid()) {
        return;
    }
    makeCurrent();
    paintGL();
    glFinish();
    doneCurrent();
}

void TGLSceneViewer::paintGL() {
    if (!FScene) {
        return;
    }
    const qreal dpr = devicePixelRatioF();
    FRenderer.Render(*FScene, width(), height(), qRound(width() * dpr), qRound(height() * dpr));
}

void TGLSceneViewer::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->buttons(), p.x(), p.y());
}

void TGLSceneViewer::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseMove(event->buttons(), p.x(), p.y());
}

void TGLSceneViewer::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseUp(event->button(), event->buttons(), p.x(), p.y());
}

void TGLSceneViewer::enterEvent(QEnterEvent* event) {
    QOpenGLWidget::enterEvent(event);
    emit mouseEnter();
}

void TGLSceneViewer::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta().y());
    event->accept();
}

} // namespace orvane::view3d
