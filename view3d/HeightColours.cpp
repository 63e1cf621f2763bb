#include "view3d/HeightColours.h"

namespace orvane::view3d {

void TGLHeightColours::SetColours(std::vector<std::uint32_t> colours) {
    if (colours == FColours) {
        return;
    }
    FColours = std::move(colours);
    ++FRevision;
    Changed();
}

void TGLHeightColours::SetPlane(const TVector4f& plane) {
    if (plane == FPlane) {
        return;
    }
    FPlane = plane;
    Changed();
}

} // namespace orvane::view3d
