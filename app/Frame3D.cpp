// The 3D view's wiring: mode switching, the track bars and the texture.
#include "app/ImageFrame.h"
#include "app/PaintBox.h"

#include <QAction>
#include <QGroupBox>

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

void TTarsunFrame::PrepareReliefForImage() {}
void TTarsunFrame::TrackBarResChange() {}
void TTarsunFrame::TrackBarZChange() {}
void TTarsunFrame::GroupBox3DMouseLeave() { setFocus(); }
void TTarsunFrame::LoadTextureButtonClick() {}

void TTarsunFrame::RemoveTextureButtonClick() { SetMenuEnabled(Menus.RemoveTexture1, false); }
