#pragma once

#include <cstdint>
#include <vector>

#include "DitherColour.h"
#include "Picture.h"

// The ordered dither of one source with many sets of inks, each drawn from
// one palette, for an ink search that judges dozens of sets: each result is
// byte for byte what Start_Ordered_Dither draws with the set's inks.
//
// The source is read once: each pixel's adjusted colour (its key) and the
// list of different keys, with their linear colour and OKLab. Where sets
// hold a large share of the palette, each key also keeps its best mixes
// over the whole palette, ranked as MixTable ranks them; a set's mix for a
// key is then the first of those whose inks it holds, with no distance
// worked out at all. A key none of whose listed mixes a set holds is
// searched among the set's inks, as the dither would.
class OrderedSubsets {
  public:
    // palette: every ink a set may hold, in the order a set holds them.
    // size: the Bayer matrix (2, 4 or 8). ranked: how many best mixes each
    // key keeps (0: none, every key is searched among the set's inks).
    // source is 24-bit; map is read when the local slider c moves pixels.
    OrderedSubsets(const TPicture& source, const TPicture& map, const InkList& palette, int a,
                   int b, int c, int size, TLevelReading levels, int ranked);

    // Draws the result of the set of the palette's inks at members (indices
    // in ascending order) into result, which takes the source's size.
    void render(const std::vector<int>& members, TPicture& result) const;

  private:
    int mWidth = 0, mHeight = 0, mSize = 0, mRanked = 0;
    TLevelReading mLevels = TLevelReading::Bytes;
    InkList mPalette;
    std::vector<int> mMatrix;
    // Each pixel's place in mKeys, row after row.
    std::vector<std::uint32_t> mKeyOf;
    // The different keys, ascending, with their colours.
    std::vector<std::uint32_t> mKeys;
    std::vector<LinearColour> mLinear;
    std::vector<LabColour> mLab;
    // Per key, mRanked best mixes over the palette (fewer where the palette
    // has fewer), and the palette's inks each one uses, as bits.
    std::vector<MixTable::RankedMix> mBest;
    std::vector<std::uint8_t> mBestCount;
};
