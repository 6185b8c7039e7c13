#include <gtest/gtest.h>

#include "Engine.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

bool allNeutral(const TPicture& map) {
    for (std::uint8_t byte : rows(map))
        if (byte != kNeutralMapByte)
            return false;
    return true;
}

} // namespace

TEST(ContrastMap, OneColourGivesANeutralMap) {
    TPicture source = filled(9, 7, 10, 200, 33);
    TPicture map;
    Local_Contrast_Map(source, map);
    EXPECT_EQ(map.GetWidth(), 9);
    EXPECT_EQ(map.GetHeight(), 7);
    EXPECT_TRUE(allNeutral(map));
}

TEST(ContrastMap, SingleWhitePixelOnBlack) {
    TPicture source = filled(7, 7, 0, 0, 0);
    setPixel(source, 3, 3, 255, 255, 255);
    TPicture map;
    Local_Contrast_Map(source, map);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool centre = x == 3 && y == 3;
            const bool neighbour = !centre && std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1;
            const std::uint8_t expected = centre ? 64 : neighbour ? 134 : 127;
            EXPECT_EQ(pixel(map, x, y), (Bytes{expected, expected, expected})) << x << "," << y;
        }
}

TEST(ContrastMap, DivisionTruncatesTowardZero) {
    // A 3x3 picture of ones has one interior pixel with v = 0; raising its
    // centre by d gives v = -8d, raising one neighbour by e adds e.
    struct Case {
        int neighbourExtra, centre;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {1, 4, 127},  // v = 1 - 32 = -31
        {0, 4, 126},  // v = -32
        {0, 5, 126},  // v = -40: -1 toward zero, where flooring would give -2
        {-1, 4, 126}, // v = -33
        {31, 0, 127}, // v = 31
        {32, 0, 128}, // v = 32
    };
    for (const Case& c : cases) {
        TPicture source = filled(3, 3, 1, 1, 1);
        // Base: all bytes 1, so v = 8 - 8 = 0; raise the centre by 'centre'
        // and the top-left neighbour by neighbourExtra.
        source.GetScanline(1)[3] = static_cast<std::uint8_t>(1 + c.centre);
        source.GetScanline(0)[0] = static_cast<std::uint8_t>(1 + c.neighbourExtra);
        TPicture map;
        Local_Contrast_Map(source, map);
        EXPECT_EQ(map.GetScanline(1)[3], c.expected) << "extra " << c.neighbourExtra << " centre " << c.centre;
        EXPECT_EQ(map.GetScanline(1)[4], 127);
    }
}

TEST(ContrastMap, ChannelsAreIndependent) {
    TPicture source = random(6, 5, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            source.GetScanline(y)[3 * x] = 90;
            source.GetScanline(y)[3 * x + 1] = 90;
        }
    TPicture map;
    Local_Contrast_Map(source, map);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(map.GetScanline(y)[3 * x], 127);
            EXPECT_EQ(map.GetScanline(y)[3 * x + 1], 127);
        }
}

TEST(ContrastMap, NarrowAndShortPicturesAreNeutralAndBordersAlways) {
    for (auto [w, h] : {std::pair{1, 9}, {2, 9}, {9, 1}, {9, 2}, {1, 1}}) {
        TPicture source = random(w, h, 11);
        TPicture map;
        Local_Contrast_Map(source, map);
        EXPECT_EQ(map.GetWidth(), w);
        EXPECT_EQ(map.GetHeight(), h);
        EXPECT_TRUE(allNeutral(map)) << w << "x" << h;
    }
    TPicture source = random(5, 4, 12);
    TPicture map = filled(50, 50, 1, 2, 3);
    Local_Contrast_Map(source, map);
    ASSERT_EQ(map.GetWidth(), 5);
    ASSERT_EQ(map.GetHeight(), 4);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(pixel(map, x, 0), (Bytes{127, 127, 127}));
        EXPECT_EQ(pixel(map, x, 3), (Bytes{127, 127, 127}));
    }
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(pixel(map, 0, y), (Bytes{127, 127, 127}));
        EXPECT_EQ(pixel(map, 4, y), (Bytes{127, 127, 127}));
    }
}

TEST(ContrastMap, InteriorMatchesTheLaplacianOnRandomPictures) {
    TPicture source = random(37, 23, 5);
    TPicture map;
    Local_Contrast_Map(source, map);
    for (int y = 1; y < 22; ++y)
        for (int j = 3; j < 3 * 37 - 3; ++j) {
            int v = -9 * source.GetScanline(y)[j];
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -3; dx <= 3; dx += 3)
                    v += source.GetScanline(y + dy)[j + dx];
            ASSERT_EQ(map.GetScanline(y)[j], 127 + v / 32) << "row " << y << " byte " << j;
        }
}
