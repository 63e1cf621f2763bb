// Holes in the relief where the height callback gives NaN: the normals beside them, the
// strips cut around them, and the same triangles from every way the mesh is built.
#include "view3d/HeightFieldNormals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace orvane::view3d;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(MissingPoints, NormalsLeaveOutTheDifferencesToMissingNeighbours) {
    // Normals of the middle row's column 1 (or 0) with inverse spacings 2 along x, 4 along y:
    // a missing neighbour counts as the grid's border.
    struct Case {
        const char* Name;
        std::vector<float> Prev, Row, Next; // empty Prev/Next: the grid's first/last row
        int Column;
        float Dx, Dy; // expected differences; NaN: the point itself is missing
    } const cases[] = {
        {"all present",
         {1, 2, 3},
         {4, 5, 7},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"left missing",
         {1, 2, 3},
         {NaN, 5, 7},
         {2, 1, 0},
         1,
         (5 - 7) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"right missing",
         {1, 2, 3},
         {4, 5, NaN},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"both along x", {1, 2, 3}, {NaN, 5, NaN}, {2, 1, 0}, 1, 0, (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"row before missing",
         {1, NaN, 3},
         {4, 5, 7},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (5 - 1) * 4.f},
        {"row after missing",
         {1, 2, 3},
         {4, 5, 7},
         {2, NaN, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (2 - 5) * 4.f},
        {"first row, next missing",
         {},
         {4, 5, 7},
         {2, NaN, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         0},
        {"left border, right missing",
         {1, 2, 3},
         {4, NaN, 7},
         {2, 1, 0},
         0,
         0,
         (1 - 4) * 4.f + (4 - 2) * 4.f},
        {"all neighbours missing", {1, NaN, 3}, {NaN, 5, NaN}, {2, NaN, 0}, 1, 0, 0},
        {"the point itself", {1, 2, 3}, {4, NaN, 7}, {2, 1, 0}, 1, NaN, NaN},
    };
    for (const Case& c : cases) {
        std::vector<float> normals(9);
        ComputeRowNormals(c.Row.data(), c.Prev.empty() ? nullptr : c.Prev.data(),
                          c.Next.empty() ? nullptr : c.Next.data(), 3, 2, 4, normals.data());
        const float* n = &normals[3 * c.Column];
        if (std::isnan(c.Dx)) {
            EXPECT_TRUE(std::isnan(n[0]) && std::isnan(n[1]) && std::isnan(n[2])) << c.Name;
            continue;
        }
        // The same operations as the rule itself: exact equality.
        const float inv = 1.0f / std::sqrt(c.Dx * c.Dx + c.Dy * c.Dy + 1.0f);
        EXPECT_EQ(n[0], c.Dx * inv) << c.Name;
        EXPECT_EQ(n[1], c.Dy * inv) << c.Name;
        EXPECT_EQ(n[2], inv) << c.Name;
    }
}
