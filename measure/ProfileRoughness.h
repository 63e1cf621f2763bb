#pragma once
// The roughness of a measured line profile: its heights in millimetres at equal spacing handed
// to the Gaussian filter and the ISO 4287 parameters, and the texts the panel shows.
#include "measure/Roughness.h"
#include "view2d/Profile.h"

#include <QString>

namespace orvane::measure {

// The roughness of `profile` with cut-off `lambdaCMm` (0: ISO 4288's automatic choice). None,
// with the reason, when the profile has no millimetres along it or no heights in millimetres:
// the cut-offs are lengths in mm and the automatic choice compares Ra in µm.
RoughnessOutcome ProfileRoughness(const view2d::Profile& profile, double lambdaCMm);

// The figures beneath the primary profile's: the cut-off and how it was chosen, the ends left
// out, and Ra, Rq, Rz (with its sampling lengths), Rt, Rp, Rv, Rsk and Rku in the profile's
// height unit; or why no filter applies.
QString RoughnessFiguresText(const RoughnessOutcome& outcome, const view2d::Profile& profile);

} // namespace orvane::measure
