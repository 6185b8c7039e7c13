#include "AboutAnimation.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SysUtils.h"

namespace {

constexpr int kFrameHeight = 152;
constexpr std::uint8_t kRowMark = 0x5A;

// A texture whose row r holds, in every pixel, blue = r mod 256, green = r / 256
// and red = a fixed mark, so that every frame row tells which row it came from.
TPicture NumberedTexture()
{
    TPicture texture;
    texture.SetWidth(kTextureWidth);
    texture.SetHeight(kTextureHeight);
    texture.SetPixelFormat(TPixelFormat::pf24bit);
    for (int y = 0; y < kTextureHeight; ++y)
        for (int x = 0; x < kTextureWidth; ++x) {
            std::uint8_t* p = texture.GetScanline(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(y & 0xFF);
            p[1] = static_cast<std::uint8_t>(y >> 8);
            p[2] = kRowMark;
        }
    return texture;
}

// The texture row a frame row was copied from; -1 when the row is not one
// whole copied texture row.
int SourceRow(const TPicture& frame, int y)
{
    const std::uint8_t* row = frame.GetScanline(y);
    const int source = row[0] + 256 * row[1];
    for (int x = 0; x < kFrameWidth; ++x) {
        const std::uint8_t* p = row + 3 * x;
        if (p[0] + 256 * p[1] != source || p[2] != kRowMark)
            return -1;
    }
    return source;
}

std::vector<int> SourceRows(const TPicture& frame, int first, int last)
{
    std::vector<int> rows;
    for (int y = first; y <= last; ++y)
        rows.push_back(SourceRow(frame, y));
    return rows;
}

// Texture rows of row pairs from pair `from` down to pair `to`, each pair in order.
std::vector<int> PairsDownward(int from, int to)
{
    std::vector<int> rows;
    for (int k = from; k >= to; --k) {
        rows.push_back(2 * k);
        rows.push_back(2 * k + 1);
    }
    return rows;
}

class AboutAnimation : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program never resets the phases; each test starts its own run.
        BandPhase = 0;
        RowPhase = 0;
        SlopePhase = 0;
        Prepare_About_Animation(frame, kFrameHeight);
    }

    TPicture texture = NumberedTexture();
    TPicture frame;
};

TEST_F(AboutAnimation, PreparesTablesAndFrame)
{
    EXPECT_EQ(frame.GetWidth(), kFrameWidth);
    EXPECT_EQ(frame.GetHeight(), kFrameHeight);
    EXPECT_EQ(frame.GetPixelFormat(), TPixelFormat::pf24bit);
    for (int j = 0; j < kTableLength; ++j)
        ASSERT_EQ(BandTable[static_cast<std::size_t>(j)], 32 * BandSequence[static_cast<std::size_t>(j / 8)]) << j;
    EXPECT_EQ(BandTable[16], 224);
    EXPECT_EQ(SlopeWave[0], 0);
    EXPECT_EQ(SlopeWave[1], 2);
    EXPECT_EQ(SlopeWave[127], 254);
    EXPECT_EQ(SlopeWave[128], 254);
    EXPECT_EQ(SlopeWave[129], 252);
    EXPECT_EQ(SlopeWave[255], 0);
}

TEST(AboutFrame, HeightRoundsDownToEven)
{
    const struct {
        int view;
        int frame;
    } cases[] = {{152, 152}, {153, 152}, {1, 0}, {2, 2}, {0, 0}};
    for (const auto& c : cases) {
        TPicture frame;
        Size_About_Frame(frame, c.view);
        EXPECT_EQ(frame.GetHeight(), c.frame) << "view " << c.view;
        EXPECT_EQ(frame.GetWidth(), kFrameWidth);
        EXPECT_EQ(frame.GetPixelFormat(), TPixelFormat::pf24bit);
    }
}

TEST_F(AboutAnimation, FirstTickFlipsBandsAtNaturalScale)
{
    const AboutTickState state = About_Animation_Tick(texture, frame);
    EXPECT_EQ(state.slope, -128);
    EXPECT_EQ(state.startOffset, 38);
    EXPECT_EQ(state.remainder, -76);
    EXPECT_EQ(SourceRows(frame, 0, 11), PairsDownward(5, 0));
    EXPECT_EQ(SourceRows(frame, 12, 31), PairsDownward(31, 22));    // band 0 again
    EXPECT_EQ(SourceRows(frame, 32, 47), PairsDownward(245, 238));  // band 7
    EXPECT_EQ(SourceRows(frame, 148, 151), PairsDownward(187, 186));
    for (int y = 0; y < kFrameHeight; ++y)
        ASSERT_NE(SourceRow(frame, y), -1) << "frame row " << y;
}

TEST_F(AboutAnimation, SecondTickMovesBandBoundaryUpOnePair)
{
    About_Animation_Tick(texture, frame);
    const AboutTickState state = About_Animation_Tick(texture, frame);
    EXPECT_EQ(state.slope, -124);
    std::vector<int> expected = PairsDownward(5, 0);
    const std::vector<int> band0 = PairsDownward(31, 23);
    expected.insert(expected.end(), band0.begin(), band0.end());
    EXPECT_EQ(SourceRows(frame, 0, 29), expected);
    EXPECT_EQ(SourceRows(frame, 30, 31), (std::vector<int>{492, 493}));
}

TEST_F(AboutAnimation, FlatSlopeRepeatsOnePairPerBand)
{
    for (int tick = 0; tick < 32; ++tick)
        About_Animation_Tick(texture, frame);
    ASSERT_EQ(BandPhase, 32);
    ASSERT_EQ(RowPhase, 32);
    ASSERT_EQ(SlopePhase, 64);
    const AboutTickState state = About_Animation_Tick(texture, frame);
    EXPECT_EQ(state.slope, 0);
    EXPECT_EQ(state.startOffset, 32);
    EXPECT_EQ(state.remainder, 0);
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(SourceRow(frame, y), y % 2) << "frame row " << y;
    for (int y = 32; y < 48; ++y)
        ASSERT_EQ(SourceRow(frame, y), 128 + y % 2) << "frame row " << y;  // band 2
}

TEST_F(AboutAnimation, FullRunReadsWithinTextureAndRepeatsAfter256Ticks)
{
    int largest = -1;
    int smallest = kTextureHeight;
    std::vector<std::vector<int>> firstFrames;
    for (int tick = 0; tick < 256; ++tick) {
        About_Animation_Tick(texture, frame);
        const std::vector<int> rows = SourceRows(frame, 0, kFrameHeight - 1);
        for (int row : rows) {
            ASSERT_NE(row, -1) << "tick " << tick;
            largest = std::max(largest, row);
            smallest = std::min(smallest, row);
        }
        if (tick < 3)
            firstFrames.push_back(rows);
    }
    EXPECT_EQ(largest, 511);
    EXPECT_EQ(smallest, 0);
    EXPECT_EQ(BandPhase, 0);
    EXPECT_EQ(RowPhase, 0);
    EXPECT_EQ(SlopePhase, 0);
    for (int tick = 0; tick < 3; ++tick) {
        About_Animation_Tick(texture, frame);
        EXPECT_EQ(SourceRows(frame, 0, kFrameHeight - 1), firstFrames[static_cast<std::size_t>(tick)])
            << "tick " << 256 + tick;
    }
}

TEST_F(AboutAnimation, WrongTextureLeavesFrameButAdvancesPhases)
{
    TPicture small;
    small.SetWidth(kTextureWidth);
    small.SetHeight(kTextureHeight - 2);
    small.SetPixelFormat(TPixelFormat::pf24bit);
    About_Animation_Tick(texture, frame);
    const std::vector<int> before = SourceRows(frame, 0, kFrameHeight - 1);
    About_Animation_Tick(small, frame);
    EXPECT_EQ(SourceRows(frame, 0, kFrameHeight - 1), before);
    EXPECT_EQ(BandPhase, 2);
    EXPECT_EQ(SlopePhase, 4);
}

TEST(AboutPictures, HaveTheirSizesAndAre24Bit)
{
    const struct {
        const char* path;
        int width;
        int height;
    } cases[] = {
        {":/about/about_side.png", 137, 386},
        {":/about/about_logo.png", 188, 66},
        {":/about/about_texture.png", kTextureWidth, kTextureHeight},
    };
    for (const auto& c : cases) {
        const TPicture picture = Load_About_Picture(c.path);
        EXPECT_EQ(picture.GetWidth(), c.width) << c.path;
        EXPECT_EQ(picture.GetHeight(), c.height) << c.path;
        EXPECT_EQ(picture.GetPixelFormat(), TPixelFormat::pf24bit) << c.path;
    }
}

TEST(AboutPictures, MissingResourceRaisesNamedError)
{
    try {
        Load_About_Picture(":/about/no_such_picture.png");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("no_such_picture.png"), std::string::npos) << e.what();
    }
}

TEST(AboutPictures, EachTextureBandUsesFourCpcColoursWithBlack)
{
    const TPicture texture = Load_About_Picture(":/about/about_texture.png");
    auto isLevel = [](int v) { return v == 0 || v == 127 || v == 254; };
    for (int band = 0; band < kTextureBands; ++band) {
        std::set<int> colours;
        for (int y = band * kBandHeight; y < (band + 1) * kBandHeight; ++y)
            for (int x = 0; x < kTextureWidth; ++x) {
                const std::uint8_t* p = texture.GetScanline(y) + 3 * x;
                ASSERT_TRUE(isLevel(p[0]) && isLevel(p[1]) && isLevel(p[2]))
                    << "band " << band << " pixel " << x << "," << y;
                colours.insert(p[0] | p[1] << 8 | p[2] << 16);
            }
        EXPECT_LE(colours.size(), 4u) << "band " << band;
        EXPECT_EQ(colours.count(0), 1u) << "band " << band << " has no black";
    }
}

}  // namespace
