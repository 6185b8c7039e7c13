#include <gtest/gtest.h>

#include <QImage>

#include "Engine.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

// A picture whose blue channel runs through the given values and whose green
// and red span 0..255 already.
TPicture blueRamp(const std::vector<std::uint8_t>& blues) {
    TPicture picture;
    picture.SetWidth(static_cast<int>(blues.size()));
    picture.SetHeight(2);
    for (int y = 0; y < 2; ++y)
        for (std::size_t x = 0; x < blues.size(); ++x)
            setPixel(picture, static_cast<int>(x), y, blues[x], y ? 0 : 255, y ? 255 : 0);
    return picture;
}

std::vector<std::uint8_t> blueRow(const TPicture& picture) {
    std::vector<std::uint8_t> out;
    for (int x = 0; x < picture.GetWidth(); ++x)
        out.push_back(picture.GetScanline(0)[3 * x]);
    return out;
}

} // namespace

TEST(StretchPalette, SpreadsEachChannelOverTheFullRange) {
    TPicture picture = blueRamp({10, 11, 15, 19, 20});
    EXPECT_EQ(Stretch_Palette(&picture), kStretchDone);
    EXPECT_EQ(blueRow(picture), (std::vector<std::uint8_t>{0, 25, 127, 229, 255}));

    TPicture nearlyFull = blueRamp({0, 100, 127, 254});
    EXPECT_EQ(Stretch_Palette(&nearlyFull), kStretchDone);
    EXPECT_EQ(blueRow(nearlyFull), (std::vector<std::uint8_t>{0, 100, 127, 255}));
}

TEST(StretchPalette, FullRangePictureIsUnchanged) {
    TPicture picture = random(40, 30, 9);
    for (int c = 0; c < 3; ++c) {
        picture.GetScanline(0)[c] = 0;
        picture.GetScanline(1)[c] = 255;
    }
    const Bytes before = rows(picture);
    EXPECT_EQ(Stretch_Palette(&picture), kStretchDone);
    EXPECT_EQ(rows(picture), before);
}

TEST(StretchPalette, ChannelsStretchIndependently) {
    TPicture picture;
    picture.SetWidth(2);
    picture.SetHeight(1);
    setPixel(picture, 0, 0, 10, 100, 0);
    setPixel(picture, 1, 0, 20, 200, 50);
    EXPECT_EQ(Stretch_Palette(&picture), kStretchDone);
    EXPECT_EQ(pixel(picture, 0, 0), (Bytes{0, 0, 0}));
    EXPECT_EQ(pixel(picture, 1, 0), (Bytes{255, 255, 255}));
}

TEST(StretchPalette, ConstantChannelStaysAsItIs) {
    // One colour throughout, and a picture without any blue: the other
    // channels still stretch, and the call reports success.
    TPicture flat = filled(3, 3, 40, 50, 60);
    EXPECT_EQ(Stretch_Palette(&flat), kStretchDone);
    EXPECT_EQ(rows(flat), rows(filled(3, 3, 40, 50, 60)));

    TPicture noBlue;
    noBlue.SetWidth(2);
    noBlue.SetHeight(1);
    setPixel(noBlue, 0, 0, 0, 10, 30);
    setPixel(noBlue, 1, 0, 0, 20, 40);
    EXPECT_EQ(Stretch_Palette(&noBlue), kStretchDone);
    EXPECT_EQ(pixel(noBlue, 0, 0), (Bytes{0, 0, 0}));
    EXPECT_EQ(pixel(noBlue, 1, 0), (Bytes{0, 255, 255}));
}

TEST(StretchPalette, RefusesMissingAndEmptyPicturesUntouched) {
    EXPECT_EQ(Stretch_Palette(nullptr), kStretchNoPicture);

    TPicture noRows;
    noRows.Assign(QImage(4, 1, QImage::Format_RGB32));
    noRows.SetHeight(0);
    ASSERT_EQ(noRows.GetPixelFormat(), TPixelFormat::pfDevice);
    EXPECT_EQ(Stretch_Palette(&noRows), kStretchEmpty);
    EXPECT_EQ(noRows.GetPixelFormat(), TPixelFormat::pfDevice);

    TPicture noColumns;
    noColumns.SetHeight(3);
    EXPECT_EQ(Stretch_Palette(&noColumns), kStretchEmpty);
}

TEST(StretchPalette, WorksOnPicturesNotYet24Bit) {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 10, 0));
    image.setPixel(1, 0, qRgb(255, 20, 255));
    TPicture picture;
    picture.Assign(image);
    EXPECT_EQ(Stretch_Palette(&picture), kStretchDone);
    EXPECT_EQ(picture.GetPixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(pixel(picture, 0, 0), (Bytes{0, 0, 0}));
    EXPECT_EQ(pixel(picture, 1, 0), (Bytes{255, 255, 255}));
}

TEST(CopyPicture, MakesAnExact24BitCopyOfTheSourceSize) {
    TPicture source = random(7, 5, 21);
    TPicture destination = filled(30, 30, 1, 1, 1);
    EXPECT_EQ(Copy_Picture(destination, source), 0);
    EXPECT_EQ(destination.GetWidth(), 7);
    EXPECT_EQ(destination.GetHeight(), 5);
    EXPECT_EQ(rows(destination), rows(source));

    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
    image.fill(1);
    TPicture indexed;
    indexed.Assign(image);
    Copy_Picture(destination, indexed);
    EXPECT_EQ(indexed.GetPixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(destination.GetPixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(pixel(destination, 2, 1), (Bytes{50, 100, 200}));
}

TEST(CopyPicture, EmptySourceGivesEmptyDestinationOfItsWidth) {
    TPicture source;
    source.SetWidth(6);
    TPicture destination = filled(3, 3, 1, 1, 1);
    Copy_Picture(destination, source);
    EXPECT_EQ(destination.GetWidth(), 6);
    EXPECT_EQ(destination.GetHeight(), 0);
    EXPECT_EQ(destination.GetPixelFormat(), TPixelFormat::pf24bit);
}

TEST(CopyPicture, StretchOnThenOffRestoresTheSource) {
    TPicture source = random(11, 9, 4);
    for (int y = 0; y < 9; ++y)
        for (int j = 0; j < 33; ++j)
            source.GetScanline(y)[j] = static_cast<std::uint8_t>(40 + source.GetScanline(y)[j] / 3);
    const Bytes original = rows(source);
    TPicture backup;
    Copy_Picture(backup, source);
    Stretch_Palette(&source);
    ASSERT_NE(rows(source), original);
    Copy_Picture(source, backup);
    EXPECT_EQ(rows(source), original);
}

TEST(StretchPalette, EveryRangeGivesTheTruncatedQuotient) {
    // Every (minimum, maximum) pair in the blue channel, every value between.
    for (int low = 0; low < 256; ++low)
        for (int high = low + 1; high < 256; ++high) {
            TPicture picture;
            picture.SetWidth(high - low + 1);
            picture.SetHeight(1);
            for (int v = low; v <= high; ++v)
                setPixel(picture, v - low, 0, static_cast<std::uint8_t>(v), 0, 255);
            ASSERT_EQ(Stretch_Palette(&picture), kStretchDone);
            for (int v = low; v <= high; ++v)
                ASSERT_EQ(picture.GetScanline(0)[3 * (v - low)], (v - low) * 255 / (high - low))
                    << "range " << low << ".." << high << " value " << v;
        }
}
