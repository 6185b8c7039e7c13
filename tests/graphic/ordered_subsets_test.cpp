#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "Engine.h"
#include "LandscapePicture.h"
#include "OrderedDither.h"
#include "OrderedSubsets.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

struct SubsetCase {
    const char* name;
    int size;      // the Bayer matrix
    int setSize;   // inks a set holds, of the 27 colours
    int ranked;    // best mixes kept per colour
    int local;     // the local-contrast slider
    friend void PrintTo(const SubsetCase& c, std::ostream* out) { *out << c.name; }
};

class OrderedSubsetsDraw : public ::testing::TestWithParam<SubsetCase> {};

// Random sets of the palette, ranked mixes or not, sliders moving the
// colours or not: every result is the ordered dither's own, byte for byte.
TEST_P(OrderedSubsetsDraw, DrawsWhatTheOrderedDitherDraws) {
    const SubsetCase& c = GetParam();
    TPicture source = landscape(48, 40);
    for (int y = 0; y < 8; ++y) // a few exact palette colours and greys
        for (int x = 0; x < 48; ++x)
            setPixel(source, x, y, static_cast<std::uint8_t>(x * 5), 127, static_cast<std::uint8_t>(y * 36));
    TPicture map;
    Local_Contrast_Map(source, map);
    InkList palette;
    for (int n = 0; n < kColourCount; ++n)
        palette.push_back(Ink_From_Colour_Number((n * 7) % kColourCount));
    const OrderedSubsets subsets(source, map, palette, 40, -30, c.local, c.size, TLevelReading::Bytes, c.ranked);
    std::mt19937 generator(5);
    for (int trial = 0; trial < 12; ++trial) {
        std::vector<int> all(palette.size());
        std::iota(all.begin(), all.end(), 0);
        std::shuffle(all.begin(), all.end(), generator);
        std::vector<int> members(all.begin(), all.begin() + c.setSize);
        std::sort(members.begin(), members.end());
        InkList inks;
        for (int m : members)
            inks.push_back(palette[static_cast<std::size_t>(m)]);
        TPicture expected = filled(source.GetWidth(), source.GetHeight(), 0, 0, 0), drawn;
        Start_Ordered_Dither(inks, 40, -30, c.local, c.size)->Rows(source, expected, map, 0, source.GetHeight());
        subsets.render(members, drawn);
        ASSERT_EQ(rows(drawn), rows(expected)) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SetsAndSliders, OrderedSubsetsDraw,
    ::testing::Values(SubsetCase{"mode0_ranked_4x4", 4, 16, 16, 0},
                      SubsetCase{"mode0_ranked_few_8x8_local", 8, 16, 3, 400},
                      SubsetCase{"mode1_searched_2x2", 2, 4, 0, 0},
                      SubsetCase{"mode1_ranked_4x4_local", 4, 4, 16, -300}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
