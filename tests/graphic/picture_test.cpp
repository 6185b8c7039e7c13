#include <gtest/gtest.h>

#include <QImage>

#include "Picture.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

TEST(Picture, ResizingKeepsThePixelsThatWereThere) {
    TPicture picture = random(4, 3, 8);
    const Bytes before = rows(picture);
    picture.SetWidth(6);
    picture.SetHeight(5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixel(picture, x, y), Bytes(before.begin() + 12 * y + 3 * x, before.begin() + 12 * y + 3 * x + 3));
    picture.SetWidth(2);
    EXPECT_EQ(pixel(picture, 1, 2), Bytes(before.begin() + 24 + 3, before.begin() + 24 + 6));
}

TEST(Picture, EmptyPictureKeepsItsOtherDimension) {
    TPicture picture;
    EXPECT_EQ(picture.GetWidth(), 0);
    EXPECT_EQ(picture.GetHeight(), 0);
    picture.SetWidth(5);
    EXPECT_EQ(picture.GetWidth(), 5);
    EXPECT_EQ(picture.GetScanline(0), nullptr);
    picture.SetHeight(1);
    ASSERT_NE(picture.GetScanline(0), nullptr);
    EXPECT_EQ(picture.GetScanline(1), nullptr);
    EXPECT_EQ(picture.GetScanline(-1), nullptr);
}

TEST(Picture, Make24BitKeepsTheLook) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    image.setPixel(1, 0, qRgb(200, 100, 0));
    TPicture picture;
    picture.Assign(image);
    EXPECT_EQ(picture.GetPixelFormat(), TPixelFormat::pfDevice);
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(pixel(picture, 0, 0), (Bytes{30, 20, 10}));
    EXPECT_EQ(pixel(picture, 1, 0), (Bytes{0, 100, 200}));
}

TEST(Picture, RefusesSizesBeyondTheLimitWithAClearError) {
    TPicture picture = filled(2, 2, 1, 2, 3);
    picture.SetWidth(100000);
    try {
        picture.SetHeight(100000);
        FAIL() << "a 10-gigapixel picture was accepted";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("100000 x 100000"), std::string::npos) << error.what();
    }
    EXPECT_THROW(picture.SetWidth(-1), Exception);
}
