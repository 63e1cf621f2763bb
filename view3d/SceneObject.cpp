#include "view3d/SceneObject.h"

#include <cmath>

namespace orvane::view3d {

namespace {
// Polar-angle limits keep the camera 0.025 rad off the up axis, where the orbit's side
// vector and the look-at matrix would degenerate.
constexpr float PolarMin = 0.025f;
constexpr float PolarMax = 3.1165926f;
constexpr float DegToRad = 0.017453292f;
constexpr float DegenerateSide = 0.001f;
} // namespace

void Coordinates::SetCoordinate(int index, float value) {
    if (StoreChanged(value_[index], value))
        owner_.TransformationChanged();
}

void Coordinates::SetPoint(float x, float y, float z) {
    SetVector({x, y, z, value_[3]});
}

void Coordinates::SetVector(const Vector4f& value) {
    if (StoreChanged(value_, value))
        owner_.TransformationChanged();
}

void Coordinates::Translate(const Vector4f& delta) {
    value_[0] += delta[0];
    value_[1] += delta[1];
    value_[2] += delta[2];
    owner_.TransformationChanged();
}

SceneObject::SceneObject(ChangeNotifier* notifier) : notifier_(notifier) {}

void SceneObject::SetVisible(bool visible) {
    if (visible == visible_) {
        return;
    }
    visible_ = visible;
    NotifyChange();
}

void SceneObject::AddChild(SceneObject& child) {
    child.parent_ = this;
    children_.push_back(&child);
    child.InvalidateAbsolute();
}

Matrix4f SceneObject::LocalMatrix() const {
    const Vector4f& upAxis = up.AsVector();
    const Vector4f& dir = direction.AsVector();
    const Vector4f& s = scale.AsVector();
    const Vector4f side = Cross3(upAxis, dir);
    Matrix4f m;
    for (int c = 0; c < 3; ++c) {
        m.M[0][c] = side[c] * s[0];
        m.M[1][c] = upAxis[c] * s[1];
        m.M[2][c] = dir[c] * s[2];
        m.M[3][c] = position[c];
    }
    m.M[0][3] = 0;
    m.M[1][3] = 0;
    m.M[2][3] = 0;
    m.M[3][3] = 1;
    return m;
}

const Matrix4f& SceneObject::AbsoluteMatrix() const {
    if (!absoluteValid_) {
        absolute_ = parent_ ? Multiply(LocalMatrix(), parent_->AbsoluteMatrix()) : LocalMatrix();
        absoluteValid_ = true;
    }
    return absolute_;
}

Vector4f SceneObject::AbsolutePosition() const {
    const Matrix4f& m = AbsoluteMatrix();
    return {m.M[3][0], m.M[3][1], m.M[3][2], m.M[3][3]};
}

Vector4f SceneObject::AbsoluteUp() const {
    const Matrix4f& m = AbsoluteMatrix();
    return Normalize3({m.M[1][0], m.M[1][1], m.M[1][2], 0});
}

void SceneObject::SetAbsolutePosition(const Vector4f& world) {
    if (!parent_) {
        position.SetVector(world);
        return;
    }
    position.SetVector(Transform(world, Inverse(parent_->AbsoluteMatrix())));
}

void SceneObject::InvalidateAbsolute() {
    absoluteValid_ = false;
    for (SceneObject* c : children_) {
        c->InvalidateAbsolute();
    }
}

void SceneObject::TransformationChanged() {
    InvalidateAbsolute();
    NotifyChange();
}

void SceneObject::NotifyChange() {
    if (notifier_) {
        notifier_->RequestRedraw();
    }
}

void SceneObject::MoveObjectAround(const SceneObject& target, float pitchDeltaDeg,
                                   float turnDeltaDeg) {
    const Vector4f t = target.AbsolutePosition();
    const Vector4f c = AbsolutePosition();
    const Vector4f u = AbsoluteUp();

    const Vector4f v = Sub3(c, t);
    const float dist = Length3(v);
    const Vector4f n = Scale3(v, 1.0f / dist);

    Vector4f r = Cross3(u, n);
    const float rLen = Length3(r);
    // Looking straight along the up axis leaves no side vector: any horizontal axis will do.
    r = rLen < DegenerateSide ? Vector4f{1, 0, 0, 0} : Scale3(r, 1.0f / rLen);

    const float cosP = Dot3(u, n);
    float p = std::atan2(std::sqrt(1.0f - cosP * cosP), cosP) + pitchDeltaDeg * DegToRad;
    // Written so that NaN (from a zero distance or rounding) lands on the lower limit.
    if (!(p >= PolarMin)) {
        p = PolarMin;
    } else if (p > PolarMax) {
        p = PolarMax;
    }

    Vector4f w = RotateAround3(u, r, p);
    w = RotateAround3(w, u, turnDeltaDeg * DegToRad);
    w = Scale3(w, dist);

    SetAbsolutePosition({t[0] + w[0], t[1] + w[1], t[2] + w[2], c[3]});
}

} // namespace orvane::view3d
