#include "panels/InfoText.h"
#include "panels/PanelPlacement.h"

#include <gtest/gtest.h>

namespace {

using namespace orvane::panels;

TEST(InfoPanelLines, FourteenLinesOnlyForSoftwareStartingWithCapitalS) {
    const QStringList lines = InfoPanelLines("Scan 1.0", "", "", "", "");
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0], "3D Scanner Software Version:");
    EXPECT_EQ(lines[1], "Scan 1.0");
    EXPECT_EQ(lines[3], "3D Scanner Model");
    EXPECT_EQ(lines[6], "Image Acquisition Date");
    EXPECT_EQ(lines[9], "Image Acquisition Setup");
    EXPECT_EQ(lines[12], "Image Acquisition Info");
    for (int i : {2, 4, 5, 7, 8, 10, 11, 13}) // missing tags and separators are empty
        EXPECT_TRUE(lines[i].isEmpty()) << i;

    const QStringList none = {"No Information in this file.", ""};
    EXPECT_EQ(InfoPanelLines("scan 1.0", "m", "d", "s", "i"), none);
    EXPECT_EQ(InfoPanelLines("", "m", "d", "s", "i"), none);
    EXPECT_EQ(InfoPanelLines(" Scan", "m", "d", "s", "i"), none);
}

TEST(InfoPanelLines, MemoHeightIsFourteenAndAHalfPixelsALine) {
    EXPECT_EQ(InfoMemoHeight(14, 11), 203);
    EXPECT_EQ(InfoMemoHeight(2, 11), 29);
    EXPECT_EQ(InfoMemoHeight(16, 11), 232);
    EXPECT_EQ(InfoMemoHeight(15, 11), 217); // 217.5 truncated
}

TEST(PanelPlacement, PushBackTable) {
    // A 1200 x 797 frame with a 97-pixel strip; the histogram panel is 288 x 186.
    const QSize frame(1200, 797);
    const QSize panel(288, 186);
    struct Case {
        const char* name;
        QPoint dropped;
        QSize size;
        QPoint expected;
    } const cases[] = {
        {"inside stays", {300, 200}, panel, {300, 200}},
        {"beyond the right edge", {1000, 200}, panel, {912, 200}},
        {"over the strip", {300, 40}, panel, {300, 97}},
        {"exactly on the strip's bottom", {300, 97}, panel, {300, 97}},
        {"beyond the left edge", {-50, 200}, panel, {0, 200}},
        {"exactly at 0", {0, 200}, panel, {0, 200}},
        {"below the bottom", {300, 700}, panel, {300, 611}},
        {"taller than the area", {10, 300}, QSize(406, 900), {10, -103}},
        {"wider than the frame", {10, 300}, QSize(1300, 100), {-100, 300}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PushBackIntoArea(c.dropped, c.size, frame, 97), c.expected) << c.name;
}

TEST(PanelPlacement, HistogramPanelSitsTopRight) {
    EXPECT_EQ(HistogramPanelPlace(QSize(288, 186), QSize(1200, 797), 97), QPoint(912, 97));
}

TEST(PanelPlacement, ColourBarPanelSitsOnTheRightBelowTheHistogram) {
    const QSize bar(128, 260);
    // Below a histogram panel ending at row 282.
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 797), 97, 283), QPoint(1072, 283));
    // A low frame pushes it up; lower than the panel, its bottom stays on the frame's, as
    // for any dropped panel.
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 450), 97, 283), QPoint(1072, 190));
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 300), 97, 283), QPoint(1072, 40));
    // Too low below the histogram (left edge 912): left of it, at the top of the area.
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 797), 97, 283, 912), QPoint(1072, 283));
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 450), 97, 283, 912), QPoint(784, 97));
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(1200, 300), 97, 283, 912), QPoint(784, 40));
    // No room on the left either: pushed up on the right as before.
    EXPECT_EQ(ColourBarPanelPlace(bar, QSize(300, 450), 97, 283, 100), QPoint(172, 190));
}

} // namespace
