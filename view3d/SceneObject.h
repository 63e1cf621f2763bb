#pragma once

#include "view3d/ChangeNotifier.h"
#include "view3d/VectorMath.h"

#include <vector>

namespace orvane::view3d {

class SceneObject;

// One of an object's four placement vectors. Every change tells the owner that its
// transformation changed (one redraw request per call).
class Coordinates {
public:
    Coordinates(SceneObject& owner, const Vector4f& initial) : owner_(owner), value_(initial) {}
    Coordinates(const Coordinates&) = delete;
    Coordinates& operator=(const Coordinates&) = delete;

    const Vector4f& AsVector() const { return value_; }
    float operator[](int i) const { return value_[i]; }
    float X() const { return value_[0]; }
    float Y() const { return value_[1]; }
    float Z() const { return value_[2]; }
    float W() const { return value_[3]; }

    // Component 0..3 (x, y, z, w).
    void SetCoordinate(int index, float value);
    // x, y, z; w is kept.
    void SetPoint(float x, float y, float z);
    // All four components.
    void SetVector(const Vector4f& value);
    // Adds x, y, z of delta.
    void Translate(const Vector4f& delta);

private:
    SceneObject& owner_;
    Vector4f value_;
};

// A node of the scene: placement vectors, parent and children, visibility and cached
// absolute matrix. Children are not owned (the scene holds every object by value).
class SceneObject {
public:
    explicit SceneObject(ChangeNotifier* notifier = nullptr);
    virtual ~SceneObject() = default;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    Coordinates position{*this, {0, 0, 0, 1}};
    Coordinates direction{*this, {0, 0, 1, 0}};
    Coordinates up{*this, {0, 1, 0, 0}};
    Coordinates scale{*this, {1, 1, 1, 0}};

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    SceneObject* Parent() const { return parent_; }
    const std::vector<SceneObject*>& Children() const { return children_; }
    void AddChild(SceneObject& child);

    ChangeNotifier* Notifier() const { return notifier_; }

    // Row 0 = (Up x direction) * scale.x, row 1 = Up * scale.y, row 2 = Direction * scale.z,
    // row 3 = position.
    Matrix4f LocalMatrix() const;
    // Local x parent's absolute (the root counts as identity); cached until the next
    // transformation change of this object or an ancestor.
    const Matrix4f& AbsoluteMatrix() const;
    Vector4f AbsolutePosition() const;
    // Unit vector of the local y axis in world terms.
    Vector4f AbsoluteUp() const;
    // Stores a world position as Position in the parent's frame (one change).
    void SetAbsolutePosition(const Vector4f& world);

    // Marks this object's and its descendants' matrices stale and requests a redraw.
    void TransformationChanged();
    // Requests one redraw.
    void NotifyChange();

    // Orbits this object about target's position: polar angle from this object's absolute
    // up grows by pitchDeltaDeg, azimuth about up turns by turnDeltaDeg; distance kept.
    void MoveObjectAround(const SceneObject& target, float pitchDeltaDeg, float turnDeltaDeg);

private:
    void InvalidateAbsolute();

    ChangeNotifier* notifier_;
    SceneObject* parent_ = nullptr;
    std::vector<SceneObject*> children_;
    bool visible_ = true;
    mutable bool absoluteValid_ = false;
    mutable Matrix4f absolute_;
};

// Invisible node used as the camera's parent and target; draws nothing.
class TargetNode : public SceneObject {
public:
    using SceneObject::SceneObject;
};

} // namespace orvane::view3d
