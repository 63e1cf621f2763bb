#pragma once

#include "view3d/VectorMath.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace orvane::view3d {

// Colours of the relief by height, for when no picture is laid on it: a table of colours
// (0xAARRGGBB, level 0 first) looked up through an object plane on the mesh's own (x, y, z, 1),
// modulated by the lighting. Without colours the relief shows its material alone.
class HeightColours {
public:
    explicit HeightColours(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    bool Enabled() const { return !colours_.empty(); }
    const std::vector<std::uint32_t>& Colours() const { return colours_; }
    // An empty table takes the colours off.
    void SetColours(std::vector<std::uint32_t> colours);
    const Vector4f& Plane() const { return plane_; }
    void SetPlane(const Vector4f& plane);
    // Moves whenever the table changes, so the renderer uploads it again.
    std::uint64_t Revision() const { return revision_; }

private:
    void Changed() {
        if (onChange_) {
            onChange_();
        }
    }

    std::function<void()> onChange_;
    std::vector<std::uint32_t> colours_;
    Vector4f plane_{0, 0, 0, 0.5f};
    std::uint64_t revision_ = 1;
};

} // namespace orvane::view3d
