#include "panels/RecentFiles.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using namespace orvane::panels;

TEST(RecentFiles, MostRecentFirstOnceAndAtMostEight) {
    QStringList files;
    for (int i = 1; i <= 10; ++i)
        files = WithRecentFile(files, QStringLiteral("/scans/%1.tif").arg(i));
    ASSERT_EQ(files.size(), kMaxRecentFiles);
    EXPECT_EQ(files.front(), "/scans/10.tif");
    EXPECT_EQ(files.back(), "/scans/3.tif");

    // Opening a listed file again moves it to the front; the others keep their order.
    files = WithRecentFile(files, "/scans/5.tif");
    EXPECT_EQ(files, QStringList({"/scans/5.tif", "/scans/10.tif", "/scans/9.tif", "/scans/8.tif",
                                  "/scans/7.tif", "/scans/6.tif", "/scans/4.tif", "/scans/3.tif"}));
}

TEST(RecentFiles, OneFileUnderTwoSpellingsIsListedOnce) {
    QStringList files = WithRecentFile({}, "/scans/a.tif");
    files = WithRecentFile(files, "/scans/./sub/../a.tif");
    EXPECT_EQ(files, QStringList({"/scans/a.tif"}));
    // A relative name is taken from the working folder.
    files = WithRecentFile(files, "b.tif");
    EXPECT_EQ(files.front(), QDir::current().absoluteFilePath("b.tif"));
}

TEST(RecentFiles, RemovingKeepsTheOrderOfTheRest) {
    const QStringList files = {"/a.tif", "/b.tif", "/c.tif"};
    EXPECT_EQ(WithoutRecentFile(files, "/b.tif"), QStringList({"/a.tif", "/c.tif"}));
    EXPECT_EQ(WithoutRecentFile(files, "/d.tif"), files);
    EXPECT_EQ(WithoutRecentFile(files, "//a.tif"), QStringList({"/b.tif", "/c.tif"}));
}

} // namespace

TEST(RecentFileMenuText, NumberedWithTheAmpersandShown) {
    using orvane::panels::RecentFileMenuText;
    EXPECT_EQ(RecentFileMenuText(0, "/scans/a.tif"), QStringLiteral("&1 /scans/a.tif"));
    EXPECT_EQ(RecentFileMenuText(7, "/R&D/b c.tif"), QStringLiteral("&8 /R&&D/b c.tif"));
}
