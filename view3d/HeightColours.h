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
class TGLHeightColours {
public:
    explicit TGLHeightColours(std::function<void()> onChange) : FOnChange(std::move(onChange)) {}

    bool Enabled() const { return !FColours.empty(); }
    const std::vector<std::uint32_t>& Colours() const { return FColours; }
    // An empty table takes the colours off.
    void SetColours(std::vector<std::uint32_t> colours);
    const TVector4f& Plane() const { return FPlane; }
    void SetPlane(const TVector4f& plane);
    // Moves whenever the table changes, so the renderer uploads it again.
    std::uint64_t Revision() const { return FRevision; }

private:
    void Changed() {
        if (FOnChange) {
            FOnChange();
        }
    }

    std::function<void()> FOnChange;
    std::vector<std::uint32_t> FColours;
    TVector4f FPlane{0, 0, 0, 0.5f};
    std::uint64_t FRevision = 1;
};

} // namespace orvane::view3d
