// Pictures are written whole or not at all, and a BMP is encoded from the picture's rows.
#include "TempDir.h"

#include "RaisedNumber.h"
#include "base/AppError.h"
#include "services/PictureFile.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// An odd width (rows padded to four bytes), a colour that differs in every channel.
QImage Sample() {
    QImage image(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, qRgb(10 * x, 100 + y, 255 - x * y));
    return image;
}

} // namespace

TEST(PictureFile, BmpBytesAreTheToolkitsOwnTwentyFourBitFile) {
    const QImage image = Sample();
    QByteArray expected;
    QBuffer buffer(&expected);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"));
    EXPECT_EQ(EncodeImage(image, "bmp"), expected.toStdString());

    TempDir dir;
    SaveImage(dir.File("p.bmp"), image, "bmp");
    EXPECT_EQ(dir.Read("p.bmp"), expected.toStdString());
    const QImage back(QString::fromStdString(dir.File("p.bmp")));
    EXPECT_EQ(back.pixel(6, 2), image.pixel(6, 2));
    EXPECT_EQ(back.pixel(0, 0), image.pixel(0, 0));
}

TEST(PictureFile, AnImageThatCouldNotBeMadeIsOutOfMemoryAndKeepsTheOldFile) {
    TempDir dir;
    const std::string old = dir.Write("old.bmp", "the old picture");
    for (const char* kind : {"bmp", "png"}) {
        EXPECT_EQ(RaisedNumber([&] { SaveImage(old, QImage(), kind); }), ErrOutOfMemory) << kind;
        EXPECT_EQ(RaisedNumber([&] { EncodeImage(QImage(), kind); }), ErrOutOfMemory) << kind;
    }
    EXPECT_EQ(dir.Read("old.bmp"), "the old picture");
}
