// Decoding texture pictures: good files, missing files and files no decoder accepts.
#include "view3d/TextureFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace orvane::view3d;

namespace {

QImage Sample() {
    QImage img(6, 3, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    img.setPixel(0, 0, qRgb(255, 0, 0));
    return img;
}

} // namespace

TEST(TexturePictureFile, DecodesColourAndGreyPictures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* Name;
        QImage Image;
    };
    QImage grey(5, 4, QImage::Format_Grayscale8);
    grey.fill(77);
    const Case cases[] = {
        {"colour.png", Sample()}, {"colour.tif", Sample()}, {"grey.tiff", grey},
        {"colour.bmp", Sample()}, {"grey.png", grey},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.Name);
        ASSERT_TRUE(c.Image.save(path)) << c.Name << ": no writer for this format";
        QImage picture;
        QString error;
        ASSERT_TRUE(LoadTexturePicture(path, picture, error)) << c.Name << " " << qPrintable(error);
        EXPECT_EQ(picture.size(), c.Image.size()) << c.Name;
        EXPECT_EQ(picture.pixel(0, 0), c.Image.pixel(0, 0)) << c.Name;
        EXPECT_EQ(picture.pixel(4, 2), c.Image.pixel(4, 2)) << c.Name;
    }
}

TEST(TexturePictureFile, FailuresGiveTheTextAndKeepThePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString garbage = dir.filePath("garbage.png");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture at all");
    }
    const QString emptyTif = dir.filePath("empty.tif");
    {
        QFile f(emptyTif);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString missing = dir.filePath("missing.png");

    struct Case {
        QString Path;
        QString Error; // empty: the decoder's message after the file's name
    };
    const Case cases[] = {
        {missing, "Could not open file: " + missing},
        {dir.path(), "Could not open file: " + dir.path()},
        {garbage, {}},
        {emptyTif, {}},
    };
    for (const Case& c : cases) {
        QImage picture = Sample();
        QString error;
        EXPECT_FALSE(LoadTexturePicture(c.Path, picture, error)) << qPrintable(c.Path);
        if (c.Error.isEmpty()) {
            const QString named =
                QStringLiteral("Could not read texture \"%1\": ").arg(QFileInfo(c.Path).fileName());
            EXPECT_TRUE(error.startsWith(named)) << qPrintable(error);
            EXPECT_GT(error.size(), named.size()) << qPrintable(error);
        } else {
            EXPECT_EQ(error, c.Error);
        }
        EXPECT_EQ(picture, Sample()) << "a failed load leaves the picture alone";
    }
}
