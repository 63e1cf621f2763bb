#pragma once

#include "view3d/Camera.h"
#include "view3d/ChangeNotifier.h"
#include "view3d/HeightField.h"
#include "view3d/LightSource.h"
#include "view3d/SceneObject.h"

#include <vector>

namespace orvane::view3d {

// Scene1: the relief, two lights, and the camera target node holding the camera, with
// every setting the program starts from. The redraw requests of all objects go through
// Notifier.
class TGLScene {
public:
    TGLScene();
    TGLScene(const TGLScene&) = delete;
    TGLScene& operator=(const TGLScene&) = delete;

    TGLChangeNotifier Notifier;

    TGLHeightField HeightField1{&Notifier};
    TGLLightSource GLLightSource1{&Notifier};
    TGLDummyCube GLDummyCube1{&Notifier};
    TGLCamera GLCamera1{&Notifier};
    TGLLightSource GLLightSource2{&Notifier};

    // Children of the root in drawing order.
    const std::vector<TGLBaseSceneObject*>& Objects() const { return FObjects; }
    // Light sources in tree order.
    std::vector<TGLLightSource*> Lights() { return {&GLLightSource1, &GLLightSource2}; }

    // The scene's ambient light and background (render buffer settings).
    TVector4f AmbientColor{0.2f, 0.2f, 0.2f, 1};
    TVector4f BackgroundColor{0, 0, 0, 1};

private:
    std::vector<TGLBaseSceneObject*> FObjects;
};

} // namespace orvane::view3d
