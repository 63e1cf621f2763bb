// The roughness of a measured profile: when a filter applies, and the spacing it is given.
#include "measure/ProfileRoughness.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace orvane::measure;
using orvane::view2d::BuildProfile;
using orvane::view2d::Profile;
using orvane::view2d::ProfileUnits;

// A row of 8-bit samples, 0.01 mm pixels (2540 dpi), heights 0 to 2.55 mm, a sine of 0.2 mm.
Profile SineProfile(const ProfileUnits& units) {
    std::vector<orvane::image::StoredSample> samples;
    for (int i = 0; i <= 600; ++i)
        samples.push_back(orvane::image::StoredSample::Of(
            std::round(127.5 + 100 * std::sin(2 * M_PI * i * 0.01 / 0.2))));
    return BuildProfile({0, 0, 600, 0}, samples, 8, false, units);
}

TEST(ProfileRoughness, NeedsMillimetresAlongAndUp) {
    struct Case {
        const char* name;
        ProfileUnits units;
        bool figures;
        const char* why;
    } const cases[] = {
        {"heights and lengths in mm", {0, 2.55, 2540}, true, ""},
        {"no resolution", {0, 2.55, 0}, false, "no pixel size in millimetres"},
        {"no height range", {0, 0, 2540}, false, "the heights have no unit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RoughnessOutcome outcome = ProfileRoughness(SineProfile(c.units), 0.8);
        EXPECT_EQ(outcome.Figures.has_value(), c.figures);
        EXPECT_NE(outcome.WhyNone.find(c.why), std::string::npos) << outcome.WhyNone;
        if (!c.figures)
            continue;
        // The points are 0.01 mm apart: half a cut-off of 0.8 mm is 40 points at each end, and
        // a 0.2 mm wave passes the filter almost whole (amplitude 100 levels of 0.01 mm).
        EXPECT_EQ(outcome.Figures->FirstPoint, 40u);
        EXPECT_EQ(outcome.Figures->EndPoint, 561u);
        EXPECT_NEAR(outcome.Figures->Rq, 1.0 / std::sqrt(2.0), 0.01);
    }
}

TEST(ProfileRoughness, TextSaysTheCutoffAndWhyNone) {
    const Profile mm = SineProfile({0, 2.55, 2540});
    const QString figures = RoughnessFiguresText(ProfileRoughness(mm, 0.8), mm);
    EXPECT_TRUE(figures.startsWith(
        QStringLiteral("Roughness: cut-off 0.8 mm, 0.4 mm left out at each end\nRa ")))
        << figures.toStdString();
    EXPECT_TRUE(figures.contains(QStringLiteral("(5 sampling lengths)"))) << figures.toStdString();
    const Profile px = SineProfile({0, 2.55, 0});
    EXPECT_TRUE(RoughnessFiguresText(ProfileRoughness(px, 0), px)
                    .startsWith(QStringLiteral("Roughness: none (")));
}

} // namespace
