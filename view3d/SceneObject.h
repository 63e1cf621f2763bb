#pragma once

#include "view3d/ChangeNotifier.h"
#include "view3d/VectorMath.h"

#include <vector>

namespace orvane::view3d {

class TGLBaseSceneObject;

// One of an object's four placement vectors. Every change tells the owner that its
// transformation changed (one redraw request per call).
class TGLCoordinates {
public:
    TGLCoordinates(TGLBaseSceneObject& owner, const TVector4f& initial)
        : FOwner(owner), FValue(initial) {}
    TGLCoordinates(const TGLCoordinates&) = delete;
    TGLCoordinates& operator=(const TGLCoordinates&) = delete;

    const TVector4f& AsVector() const { return FValue; }
    float operator[](int i) const { return FValue[i]; }
    float X() const { return FValue[0]; }
    float Y() const { return FValue[1]; }
    float Z() const { return FValue[2]; }
    float W() const { return FValue[3]; }

    // Component 0..3 (x, y, z, w).
    void SetCoordinate(int index, float value);
    // x, y, z; w is kept.
    void SetPoint(float x, float y, float z);
    // All four components.
    void SetVector(const TVector4f& value);
    // Adds x, y, z of delta.
    void Translate(const TVector4f& delta);

private:
    TGLBaseSceneObject& FOwner;
    TVector4f FValue;
};

// A node of the scene: placement vectors, parent and children, visibility and cached
// absolute matrix. Children are not owned (the scene holds every object by value).
class TGLBaseSceneObject {
public:
    explicit TGLBaseSceneObject(TGLChangeNotifier* notifier = nullptr);
    virtual ~TGLBaseSceneObject() = default;
    TGLBaseSceneObject(const TGLBaseSceneObject&) = delete;
    TGLBaseSceneObject& operator=(const TGLBaseSceneObject&) = delete;

    TGLCoordinates Position{*this, {0, 0, 0, 1}};
    TGLCoordinates Direction{*this, {0, 0, 1, 0}};
    TGLCoordinates Up{*this, {0, 1, 0, 0}};
    TGLCoordinates Scale{*this, {1, 1, 1, 0}};

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);

    TGLBaseSceneObject* Parent() const { return FParent; }
    const std::vector<TGLBaseSceneObject*>& Children() const { return FChildren; }
    void AddChild(TGLBaseSceneObject& child);

    TGLChangeNotifier* Notifier() const { return FNotifier; }

    // Row 0 = (Up x Direction) * Scale.x, row 1 = Up * Scale.y, row 2 = Direction * Scale.z,
    // row 3 = Position.
    TMatrix4f LocalMatrix() const;
    // Local x parent's absolute (the root counts as identity); cached until the next
    // transformation change of this object or an ancestor.
    const TMatrix4f& AbsoluteMatrix() const;
    TVector4f AbsolutePosition() const;
    // Unit vector of the local y axis in world terms.
    TVector4f AbsoluteUp() const;
    // Stores a world position as Position in the parent's frame (one change).
    void SetAbsolutePosition(const TVector4f& world);

    // Marks this object's and its descendants' matrices stale and requests a redraw.
    void TransformationChanged();
    // Requests one redraw.
    void NotifyChange();

    // Orbits this object about target's position: polar angle from this object's absolute
    // up grows by pitchDeltaDeg, azimuth about up turns by turnDeltaDeg; distance kept.
    void MoveObjectAround(const TGLBaseSceneObject& target, float pitchDeltaDeg,
                          float turnDeltaDeg);

private:
    void InvalidateAbsolute();

    TGLChangeNotifier* FNotifier;
    TGLBaseSceneObject* FParent = nullptr;
    std::vector<TGLBaseSceneObject*> FChildren;
    bool FVisible = true;
    mutable bool FAbsoluteValid = false;
    mutable TMatrix4f FAbsolute;
};

// Invisible node used as the camera's parent and target; draws nothing.
class TGLDummyCube : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
};

} // namespace orvane::view3d
