// The 3D view's wiring: mode switching, the viewer's pointer handlers, the
// relief's height callback and the track bars. The scene, mesh and camera
// arithmetic live in view3d/.
#include "app/ImageFrame.h"
#include "app/PaintBox.h"
#include "view3d/Navigation.h"
#include "view3d/ReliefSetup.h"
#include "view3d/SceneViewer.h"
#include "view3d/TrackBarRules.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

using namespace orvane::view3d;

void TTarsunFrame::SB2DClick() {
    if (!SampleBuffer)
        return;
    PaintBox1->show();
    SceneViewer1->hide();
    GroupBox3D->hide();
}

void TTarsunFrame::SB3DClick() {
    if (!SampleBuffer)
        return;
    PaintBox1->hide();
    SceneViewer1->show();
    GroupBox3D->show();
}

void TTarsunFrame::PrepareReliefForImage() {
    TGLHeightField& field = Scene1.HeightField1;
    SetReliefRanges(field, SpanWidth, SpanHeight);
    heightSource_ = THeightSource{SampleBuffer,
                                  int(ImageWidth),
                                  int(ImageHeight),
                                  int(SpanWidth),
                                  Resolution,
                                  ZMin,
                                  ZMax,
                                  field.XSamplingScale.Min(),
                                  field.XSamplingScale.Max(),
                                  field.YSamplingScale.Min(),
                                  field.YSamplingScale.Max()};
    ResetView(Scene1);
    TrackBarResChange();
    TrackBarZChange();
    SceneMouseX = SceneMouseY = 0;
    field.SetVisible(true);
}

void TTarsunFrame::HeightField1GetHeight(float x, float y, float& z) {
    // While a file is read the buffer belongs to the reader.
    if (!SampleBuffer || Loading || heightSource_.SampleBuffer != SampleBuffer)
        return;
    orvane::view3d::HeightField1GetHeight(heightSource_, x, y, z);
}

void TTarsunFrame::SceneViewer1MouseDown(int x, int y) {
    SceneMouseDown = true;
    SceneMouseX = x;
    SceneMouseY = y;
}

void TTarsunFrame::SceneViewer1MouseUp() { SceneMouseDown = false; }

void TTarsunFrame::SceneViewer1MouseMove(Qt::MouseButtons held, int x, int y) {
    if (!sceneMoveAttached_)
        return;
    SceneMouseMoveRule(SceneMouseDown, SceneMouseX, SceneMouseY, held, x, y, Scene1.GLCamera1,
                       Scene1.GLDummyCube1);
}

void TTarsunFrame::SceneViewer1MouseEnter() { setFocus(); }
void TTarsunFrame::SceneViewer1MouseWheelUp() { SceneWheelUpRule(Scene1.GLCamera1); }
void TTarsunFrame::SceneViewer1MouseWheelDown() { SceneWheelDownRule(Scene1.GLCamera1); }

void TTarsunFrame::TrackBarResChange() {
    if (!SampleBuffer)
        return;
    RefreshingPanel->move(width() / 2 - RefreshingPanel->width() / 2, height() / 2);
    RefreshingPanel->show();
    RefreshingPanel->raise();
    RefreshingPanel->repaint(); // painted before the mesh work starts
    QApplication::processEvents();
    ApplyResolutionPosition(Scene1.HeightField1, TrackBarRes->value());
    RefreshingPanel->hide();
}

void TTarsunFrame::TrackBarZChange() {
    if (!SampleBuffer)
        return;
    ApplyZDepthPosition(Scene1, TrackBarZ->value());
}

void TTarsunFrame::GroupBox3DMouseLeave() { setFocus(); }
