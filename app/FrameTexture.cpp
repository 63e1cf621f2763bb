// The texture overlay's wiring: loading a picture onto the relief and removing it.
#include "app/ImageFrame.h"

void TTarsunFrame::LoadTextureButtonClick() {}

void TTarsunFrame::RemoveTextureButtonClick() { SetMenuEnabled(Menus.RemoveTexture1, false); }
