#pragma once

#include "view3d/Camera.h"
#include "view3d/ChangeNotifier.h"
#include "view3d/HeightField.h"
#include "view3d/LightSource.h"
#include "view3d/SceneObject.h"

#include <vector>

namespace orvane::view3d {

// scene_: the relief, two lights, and the camera target node holding the camera, with
// every setting the program starts from. The redraw requests of all objects go through
// Notifier.
class Scene {
public:
    Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    ChangeNotifier notifier;

    HeightField heightField{&notifier};
    LightSource obliqueLight{&notifier};
    TargetNode cameraTarget{&notifier};
    Camera camera{&notifier};
    LightSource overheadLight{&notifier};

    // Children of the root in drawing order.
    const std::vector<SceneObject*>& Objects() const { return objects_; }
    // Light sources in tree order.
    std::vector<LightSource*> Lights() { return {&obliqueLight, &overheadLight}; }

    // The scene's ambient light and background (render buffer settings).
    Vector4f AmbientColor{0.2f, 0.2f, 0.2f, 1};
    Vector4f BackgroundColor{0, 0, 0, 1};

private:
    std::vector<SceneObject*> objects_;
};

} // namespace orvane::view3d
