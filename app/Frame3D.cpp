// The 3D view's wiring: mode switching, the viewer's pointer handlers, the
// relief's height callback and the track bars. The scene, mesh and camera
// rules live in view3d/.
#include "app/ImageFrame.h"
#include "app/PaintBox.h"
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

void TTarsunFrame::SB2DClick() {
    ShowViewMode(false);
}
void TTarsunFrame::SB3DClick() {
    ShowViewMode(true);
}

void TTarsunFrame::ShowViewMode(bool relief) {
    if (!image_.HasImage())
        return;
    ui_.PaintBox1->setVisible(!relief);
    ui_.SceneViewer1->setVisible(relief);
    ui_.GroupBox3D->setVisible(relief);
    if (relief)
        FitSceneViewer(); // the size the frame has now, taken while visible
}

void TTarsunFrame::PrepareRelief() {
    TGLHeightField& field = Scene1.HeightField1;
    SetReliefRanges(field, image_.SpanWidth, image_.SpanHeight);
    ResetView(Scene1);
    TrackBarResChange();
    TrackBarZChange();
    view_.Scene.SceneMouseX = view_.Scene.SceneMouseY = 0;
    UpdateHeightColours(); // the plane follows the new image's height range
    field.SetVisible(true);
}

void TTarsunFrame::HeightField1GetHeight(float x, float y, float& z) {
    // While a file is read the buffer belongs to the reader.
    if (view_.Loading)
        return;
    view3d::HeightField1GetHeight(image_, Scene1.HeightField1, x, y, z);
}

void TTarsunFrame::SceneViewer1MouseDown(int x, int y) {
    SceneMouseDownRule(view_.Scene, x, y);
    sceneMotion_.Press();
}

void TTarsunFrame::SceneViewer1MouseUp() {
    SceneMouseUpRule(view_.Scene);
    sceneMotion_.Release();
    UpdateSceneMotion();
}

void TTarsunFrame::SceneViewer1MouseMove(Qt::MouseButtons held, int x, int y) {
    if (!sceneMoveAttached_)
        return;
    sceneMotion_.Move(held);
    UpdateSceneMotion();
    SceneMouseMoveRule(view_.Scene, held, x, y, Scene1.GLCamera1, Scene1.GLDummyCube1);
}

void TTarsunFrame::SceneViewer1MouseEnter() {
    setFocus();
}
void TTarsunFrame::SceneViewer1MouseWheelUp() {
    sceneMotion_.WheelNotch(motionClock_.elapsed());
    UpdateSceneMotion();
    SceneWheelUpRule(Scene1.GLCamera1);
}
void TTarsunFrame::SceneViewer1MouseWheelDown() {
    sceneMotion_.WheelNotch(motionClock_.elapsed());
    UpdateSceneMotion();
    SceneWheelDownRule(Scene1.GLCamera1);
}

void TTarsunFrame::UpdateSceneMotion() {
    const qint64 now = motionClock_.elapsed();
    ui_.SceneViewer1->SetInMotion(sceneMotion_.InMotion(now));
    // Asked again when the last notch's motion should have ended (a timer may fire early).
    const qint64 settleMs = sceneMotion_.MsUntilWheelSettles(now);
    if (settleMs > 0)
        sceneMotionSettle_.start(int(settleMs));
}

void TTarsunFrame::TrackBarResChange() {
    if (!image_.HasImage())
        return;
    QLabel* refreshing = ui_.RefreshingPanel;
    refreshing->move(width() / 2 - refreshing->width() / 2, height() / 2);
    refreshing->show();
    refreshing->raise();
    refreshing->repaint(); // painted before the mesh work starts
    QApplication::processEvents();
    ApplyResolutionPosition(Scene1.HeightField1, ui_.TrackBarRes->value());
    // The meshes are built while the label shows; the label goes with the composition that
    // shows the new relief.
    ui_.SceneViewer1->PrepareMesh();
    refreshing->hide();
}

void TTarsunFrame::TrackBarZChange() {
    if (!image_.HasImage())
        return;
    ApplyZDepthPosition(Scene1, ui_.TrackBarZ->value());
}

void TTarsunFrame::GroupBox3DMouseLeave() {
    setFocus();
}

} // namespace orvane::app
