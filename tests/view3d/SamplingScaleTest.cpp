#include "view3d/SamplingScale.h"
#include "view3d/HeightField.h"
#include "view3d/TrackBarRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace orvane::view3d;

namespace {

// x positions the mesh builder samples in one row.
std::vector<float> RowSamples(float xMin, float xMax, float step) {
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(xMax);
    hf.XSamplingScale.SetMin(xMin);
    hf.XSamplingScale.SetStep(step);
    hf.YSamplingScale.SetMax(0.5f);
    hf.YSamplingScale.SetMin(0.0f);
    hf.YSamplingScale.SetStep(1.0f); // one row
    std::vector<float> xs;
    hf.SetOnGetHeight([&](float x, float, float&, TVector4f&, TTexPoint&) { xs.push_back(x); });
    struct TNullSink : THeightFieldSink {
        void BeginMesh(bool) override {}
        void BeginStrip() override {}
        void Vertex(const float*, float, float, float) override {}
        void EndStrip() override {}
    } sink;
    hf.BuildList(sink);
    return xs;
}

} // namespace

TEST(SamplingScale, UnitRangeAtStep0004MissesBothEdges) {
    TGLSamplingScale s;
    s.SetMax(0.5f);
    s.SetMin(-0.5f);
    s.SetStep(0.004f);
    EXPECT_EQ(s.MaxStepCount(), 250);
    EXPECT_FLOAT_EQ(s.StepBase(), -0.49600002f);

    const std::vector<float> xs = RowSamples(-0.5f, 0.5f, 0.004f);
    ASSERT_EQ(xs.size(), 249u);
    EXPECT_NEAR(xs.front(), -0.49600002, 1e-8);
    EXPECT_NEAR(xs.back(), 0.49600059, 1e-8);
}

TEST(SamplingScale, RowCanFillItsCapacityExactly) {
    TGLSamplingScale s;
    s.SetMax(0.375f);
    s.SetMin(-0.375f);
    s.SetStep(0.003f);
    EXPECT_EQ(s.StepBase(), -0.375f);
    const std::vector<float> xs = RowSamples(-0.375f, 0.375f, 0.003f);
    EXPECT_EQ(static_cast<int>(xs.size()), s.MaxStepCount() + 1);
    EXPECT_EQ(xs.size(), 251u);
}

TEST(SamplingScale, RowsNeverExceedCapacityOverManyRangesAndPositions) {
    for (float half : {0.05f, 0.1f, 0.2f, 0.25f, 0.3f, 0.375f, 0.4f, 0.45f, 0.5f}) {
        for (int p = 0; p <= 100; p += 7) {
            TGLHeightField hf;
            hf.XSamplingScale.SetMax(half);
            hf.XSamplingScale.SetMin(-half);
            hf.YSamplingScale.SetMax(half);
            hf.YSamplingScale.SetMin(-half);
            ApplyResolutionPosition(hf, p);
            const std::vector<float> xs = RowSamples(-half, half, hf.XSamplingScale.Step());
            EXPECT_LE(static_cast<int>(xs.size()), hf.XSamplingScale.MaxStepCount() + 1)
                << "half " << half << " p " << p;
            EXPECT_GE(static_cast<int>(xs.size()), hf.XSamplingScale.MaxStepCount() - 1);
        }
    }
}

TEST(SamplingScale, StepBaseAlignsOnOriginFromEitherSide) {
    struct TCase {
        float Min, Max, Step, Base;
    };
    const TCase cases[] = {
        {0.0f, 1.0f, 0.25f, 0.0f},    // Origin = Min
        {-0.3f, 0.3f, 0.25f, -0.25f}, // first multiple above a negative Min
        {0.3f, 1.0f, 0.25f, 0.5f},    // positive Min: counted upward from Origin
    };
    for (const TCase& c : cases) {
        TGLSamplingScale s;
        s.SetMax(c.Max);
        s.SetMin(c.Min);
        s.SetStep(c.Step);
        EXPECT_FLOAT_EQ(s.StepBase(), c.Base) << c.Min;
    }
}

TEST(SamplingScale, NonPositiveStepBecomesOne) {
    for (float bad : {0.0f, -0.5f, -1e-30f, std::nanf("")}) {
        TGLSamplingScale s;
        s.SetStep(bad);
        EXPECT_EQ(s.Step(), 1.0f) << bad;
    }
}

TEST(SamplingScale, MinAndMaxSettersKeepTheRangeOrderedAndNotifyOnce) {
    int notes = 0;
    TGLSamplingScale s([&] { ++notes; });
    s.SetMax(1.0f);
    s.SetMin(2.0f); // above max: max follows
    EXPECT_EQ(s.Min(), 2.0f);
    EXPECT_EQ(s.Max(), 2.0f);
    EXPECT_FALSE(s.IsValid());
    s.SetMax(-1.0f); // below Min: Min follows
    EXPECT_EQ(s.Min(), -1.0f);
    EXPECT_EQ(s.Max(), -1.0f);
    s.SetMax(3.0f);
    EXPECT_TRUE(s.IsValid());
    s.SetStep(0.5f);
    s.SetStep(0.5f); // same value still notifies
    EXPECT_EQ(notes, 6);
}

struct TResolutionCase {
    float Half; // range [-Half, Half]
    int P;
    float Step;
};

class ResolutionStep : public ::testing::TestWithParam<TResolutionCase> {};

TEST_P(ResolutionStep, DividesEachAxisInto10000OverOIntervals) {
    const TResolutionCase c = GetParam();
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(0.5f);
    hf.XSamplingScale.SetMin(-0.5f);
    hf.YSamplingScale.SetMax(c.Half);
    hf.YSamplingScale.SetMin(-c.Half);
    ApplyResolutionPosition(hf, c.P);
    EXPECT_EQ(hf.YSamplingScale.Step(), c.Step);
}

INSTANTIATE_TEST_SUITE_P(Table, ResolutionStep,
                         ::testing::Values(TResolutionCase{0.5f, 0, 0.007f},
                                           TResolutionCase{0.5f, 50, 0.004f},
                                           TResolutionCase{0.5f, 100, 0.001f},
                                           TResolutionCase{0.25f, 0, 0.0035f}));

TEST(ResolutionStep, LandscapeImageGetsProportionalSteps) {
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(0.5f);
    hf.XSamplingScale.SetMin(-0.5f);
    hf.YSamplingScale.SetMax(0.25f);
    hf.YSamplingScale.SetMin(-0.25f);
    ApplyResolutionPosition(hf, 0);
    EXPECT_EQ(hf.XSamplingScale.Step(), 0.007f);
    EXPECT_EQ(hf.YSamplingScale.Step(), 0.0035f);
    EXPECT_EQ(hf.XSamplingScale.MaxStepCount(), 143);
    EXPECT_EQ(hf.YSamplingScale.MaxStepCount(), 143);
}

TEST(ResolutionStep, ReapplyingSetsAgainWhenFloatDiffersFromDouble) {
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(0.5f);
    hf.XSamplingScale.SetMin(-0.5f);
    hf.YSamplingScale.SetMax(0.5f);
    hf.YSamplingScale.SetMin(-0.5f);
    ApplyResolutionPosition(hf, 50);
    const auto before = hf.StructureRevision();
    // 0.004 has no exact float: both steps are set again and the mesh marked twice.
    EXPECT_EQ(ApplyResolutionPosition(hf, 50), 2);
    EXPECT_EQ(hf.StructureRevision(), before + 2);
}
