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
    HeightField hf;
    hf.xSamplingScale.SetMax(xMax);
    hf.xSamplingScale.SetMin(xMin);
    hf.xSamplingScale.SetStep(step);
    hf.ySamplingScale.SetMax(0.5f);
    hf.ySamplingScale.SetMin(0.0f);
    hf.ySamplingScale.SetStep(1.0f); // one row
    std::vector<float> xs;
    hf.SetOnGetHeight([&](float x, float, float&, Vector4f&, TexPoint&) { xs.push_back(x); });
    struct NullSink : HeightFieldSink {
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
    SamplingScale s;
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
    SamplingScale s;
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
            HeightField hf;
            hf.xSamplingScale.SetMax(half);
            hf.xSamplingScale.SetMin(-half);
            hf.ySamplingScale.SetMax(half);
            hf.ySamplingScale.SetMin(-half);
            ApplyResolutionPosition(hf, p);
            const std::vector<float> xs = RowSamples(-half, half, hf.xSamplingScale.Step());
            EXPECT_LE(static_cast<int>(xs.size()), hf.xSamplingScale.MaxStepCount() + 1)
                << "half " << half << " p " << p;
            EXPECT_GE(static_cast<int>(xs.size()), hf.xSamplingScale.MaxStepCount() - 1);
        }
    }
}

TEST(SamplingScale, SamplePositionsWalkBothAxesAsTheMeshBuildsDo) {
    struct Axis {
        float Min, Max, Step;
    };
    struct Case {
        Axis Scale;
        std::size_t Columns, Rows;
        float First, Last;
    };
    const Case cases[] = {
        {{0.0f, 1.0f, 0.25f}, 5, 5, 0.0f, 1.0f},                      // both ends on the grid
        {{-0.5f, 0.5f, 0.004f}, 249, 249, -0.49600002f, 0.49600059f}, // both ends missed
        {{-0.375f, 0.375f, 0.003f}, 251, 251, -0.375f, 0.375f},       // a full row
        // The step is lost in the rounding: a row stops when full, the rows at once.
        {{1e8f, 1e8f + 64, 1.0f}, 65, 1, 1e8f, 1e8f},
    };
    for (const Case& c : cases) {
        SamplingScale s;
        s.SetMax(c.Scale.Max);
        s.SetMin(c.Scale.Min);
        s.SetStep(c.Scale.Step);
        const GridPositions grid = SamplePositions(s, s);
        ASSERT_EQ(grid.X.size(), c.Columns) << c.Scale.Min;
        ASSERT_EQ(grid.Y.size(), c.Rows) << c.Scale.Min;
        for (const std::vector<float>* axis : {&grid.X, &grid.Y}) {
            EXPECT_NEAR(axis->front(), c.First, 1e-8) << c.Scale.Min;
            EXPECT_NEAR(axis->back(), c.Last, 1e-6) << c.Scale.Min;
        }
    }
}

TEST(SamplingScale, StepBaseAlignsOnOriginFromEitherSide) {
    struct Case {
        float Min, Max, Step, Base;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.25f, 0.0f},    // Origin = Min
        {-0.3f, 0.3f, 0.25f, -0.25f}, // first multiple above a negative Min
        {0.3f, 1.0f, 0.25f, 0.5f},    // positive Min: counted upward from Origin
    };
    for (const Case& c : cases) {
        SamplingScale s;
        s.SetMax(c.Max);
        s.SetMin(c.Min);
        s.SetStep(c.Step);
        EXPECT_FLOAT_EQ(s.StepBase(), c.Base) << c.Min;
    }
}

TEST(SamplingScale, NonPositiveStepBecomesOne) {
    for (float bad : {0.0f, -0.5f, -1e-30f, std::nanf("")}) {
        SamplingScale s;
        s.SetStep(bad);
        EXPECT_EQ(s.Step(), 1.0f) << bad;
    }
}

TEST(SamplingScale, MinAndMaxSettersKeepTheRangeOrderedAndNotifyOnce) {
    int notes = 0;
    SamplingScale s([&] { ++notes; });
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

struct ResolutionCase {
    float Half; // range [-Half, Half]
    int P;
    float Step;
};

class ResolutionStep : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(ResolutionStep, DividesEachAxisInto10000OverOIntervals) {
    const ResolutionCase c = GetParam();
    HeightField hf;
    hf.xSamplingScale.SetMax(0.5f);
    hf.xSamplingScale.SetMin(-0.5f);
    hf.ySamplingScale.SetMax(c.Half);
    hf.ySamplingScale.SetMin(-c.Half);
    ApplyResolutionPosition(hf, c.P);
    EXPECT_EQ(hf.ySamplingScale.Step(), c.Step);
}

INSTANTIATE_TEST_SUITE_P(Table, ResolutionStep,
                         ::testing::Values(ResolutionCase{0.5f, 0, 0.007f},
                                           ResolutionCase{0.5f, 50, 0.004f},
                                           ResolutionCase{0.5f, 100, 0.001f},
                                           ResolutionCase{0.25f, 0, 0.0035f}));

TEST(ResolutionStep, LandscapeImageGetsProportionalSteps) {
    HeightField hf;
    hf.xSamplingScale.SetMax(0.5f);
    hf.xSamplingScale.SetMin(-0.5f);
    hf.ySamplingScale.SetMax(0.25f);
    hf.ySamplingScale.SetMin(-0.25f);
    ApplyResolutionPosition(hf, 0);
    EXPECT_EQ(hf.xSamplingScale.Step(), 0.007f);
    EXPECT_EQ(hf.ySamplingScale.Step(), 0.0035f);
    EXPECT_EQ(hf.xSamplingScale.MaxStepCount(), 143);
    EXPECT_EQ(hf.ySamplingScale.MaxStepCount(), 143);
}

TEST(ResolutionStep, ReapplyingSetsAgainWhenFloatDiffersFromDouble) {
    HeightField hf;
    hf.xSamplingScale.SetMax(0.5f);
    hf.xSamplingScale.SetMin(-0.5f);
    hf.ySamplingScale.SetMax(0.5f);
    hf.ySamplingScale.SetMin(-0.5f);
    ApplyResolutionPosition(hf, 50);
    const auto before = hf.StructureRevision();
    // 0.004 has no exact float: both steps are set again and the mesh marked twice.
    EXPECT_EQ(ApplyResolutionPosition(hf, 50), 2);
    EXPECT_EQ(hf.StructureRevision(), before + 2);
}
