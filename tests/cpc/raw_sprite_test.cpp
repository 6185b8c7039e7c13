#include <gtest/gtest.h>

#include "PictureBuilder.h"
#include "RawSprite.h"

using namespace testing_pictures;

TEST(RawSprite, PacksRowsOfAnyWidthPaddedWithInk0) {
    InkTable inks;
    Reset_Ink_Table(inks);
    struct Case {
        const char* name;
        int width, height;
        std::vector<int> pixelInks; // row after row
        Bytes bytes;
    };
    const Case cases[] = {
        {"FiveWide", 5, 2, {1, 2, 3, 0, 3, 0, 0, 0, 0, 2}, {0xA6, 0x88, 0x00, 0x08}},
        {"OneWide", 1, 3, {3, 1, 2}, {0x88, 0x80, 0x08}},
        {"Empty", 0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        TPicture picture = filled(c.width, c.height, 0, 0, 0);
        for (std::size_t i = 0; i < c.pixelInks.size(); ++i) {
            const Ink& ink = inks[static_cast<std::size_t>(c.pixelInks[i])];
            setPixel(picture, static_cast<int>(i) % c.width, static_cast<int>(i) / c.width, ink.b, ink.g, ink.r);
        }
        EXPECT_EQ(Raw_Sprite(picture, inks), c.bytes) << c.name;
    }
}
