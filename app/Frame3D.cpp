// The 3D view's wiring: mode switching, the viewer's pointer handlers, the
// relief's height callback and the track bars. The scene, mesh and camera
// rules live in view3d/.
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "view3d/HeightSource.h"
#include "view3d/Navigation.h"
#include "view3d/ReliefSetup.h"
#include "view3d/TrackBarRules.h"
#include "view3d/gl/SceneViewer.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

namespace orvane::app {

using namespace view3d;

void ImageFrame::Show2DView() {
    ShowViewMode(false);
}
void ImageFrame::Show3DView() {
    ShowViewMode(true);
}

void ImageFrame::ShowViewMode(bool relief) {
    if (!image_.HasImage())
        return;
    ui_.imageBox->setVisible(!relief);
    ui_.sceneViewer->setVisible(relief);
    ui_.settings3dGroup->setVisible(relief);
    if (relief)
        FitSceneViewer();       // the size the frame has now, taken while visible
    emit MeasureStateChanged(); // the measuring tools are the 2D view's
}

void ImageFrame::PrepareRelief() {
    HeightField& field = scene_.heightField;
    SetReliefRanges(field, image_.SpanWidth, image_.SpanHeight);
    ResetView(scene_);
    ResolutionBarChanged();
    ZDepthBarChanged();
    view_.Scene.SceneMouseX = view_.Scene.SceneMouseY = 0;
    UpdateHeightColours(); // the plane follows the new image's height range
    field.SetVisible(true);
}

void ImageFrame::ReliefHeight(float x, float y, float& z) {
    // While a file is read the buffer belongs to the reader.
    if (view_.Loading)
        return;
    view3d::ReliefHeight(image_, scene_.heightField, x, y, z);
}

void ImageFrame::ViewerPressed(int x, int y) {
    SceneMouseDownRule(view_.Scene, x, y);
}

void ImageFrame::ViewerReleased() {
    SceneMouseUpRule(view_.Scene);
    sceneMotion_.Release();
    UpdateSceneMotion();
}

void ImageFrame::ViewerMoved(Qt::MouseButtons held, int x, int y) {
    if (!sceneMoveAttached_)
        return;
    sceneMotion_.Move(view_.Scene, held);
    UpdateSceneMotion();
    SceneMouseMoveRule(view_.Scene, held, x, y, scene_.camera, scene_.cameraTarget);
}

void ImageFrame::ViewerEntered() {
    setFocus();
}
void ImageFrame::ViewerWheelUp() {
    sceneMotion_.WheelNotch(motionClock_.elapsed());
    UpdateSceneMotion();
    SceneWheelUpRule(scene_.camera);
}
void ImageFrame::ViewerWheelDown() {
    sceneMotion_.WheelNotch(motionClock_.elapsed());
    UpdateSceneMotion();
    SceneWheelDownRule(scene_.camera);
}

void ImageFrame::UpdateSceneMotion() {
    const qint64 now = motionClock_.elapsed();
    ui_.sceneViewer->SetInMotion(sceneMotion_.InMotion(now));
    // Asked again when the last notch's motion should have ended (a timer may fire early).
    const qint64 settleMs = sceneMotion_.MsUntilWheelSettles(now);
    if (settleMs > 0)
        sceneMotionSettle_.start(int(settleMs));
}

void ImageFrame::ResolutionBarChanged() {
    if (!image_.HasImage())
        return;
    QLabel* refreshing = ui_.refreshingLabel;
    refreshing->move(width() / 2 - refreshing->width() / 2, height() / 2);
    refreshing->show();
    refreshing->raise();
    refreshing->repaint(); // painted before the mesh work starts
    // Shown on the screen too; no user input is handled meanwhile, so nothing can start
    // another open or another change of the bars in the middle of this one.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ApplyResolutionPosition(scene_.heightField, ui_.resolutionBar->value());
    // The meshes are built while the label shows; the label goes with the composition that
    // shows the new relief.
    ui_.sceneViewer->PrepareMesh();
    refreshing->hide();
}

void ImageFrame::SetResolutionPosition(int position) {
    ui_.resolutionBar->setValue(position);
}

void ImageFrame::SetZDepthPosition(int position) {
    ui_.zDepthBar->setValue(position);
}

void ImageFrame::ZDepthBarChanged() {
    if (!image_.HasImage())
        return;
    ApplyZDepthPosition(scene_, ui_.zDepthBar->value());
}

void ImageFrame::Settings3DLeft() {
    setFocus();
}

} // namespace orvane::app
