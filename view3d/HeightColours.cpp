#include "view3d/HeightColours.h"

namespace orvane::view3d {

void HeightColours::SetColours(std::vector<std::uint32_t> colours) {
    if (colours == colours_) {
        return;
    }
    colours_ = std::move(colours);
    ++revision_;
    Changed();
}

void HeightColours::SetPlane(const Vector4f& plane) {
    if (plane == plane_) {
        return;
    }
    plane_ = plane;
    Changed();
}

} // namespace orvane::view3d
