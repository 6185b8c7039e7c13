#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Engine.h"
#include "InkMeasure.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// The colour arithmetic every colour dither shares: the sliders applied to
// a pixel, linear light, OKLab, the nearest ink and the mixes of two inks.
// Everything a call needs is worked out once per call, by the constructors.

// A colour in linear light, each channel 0..1 (error diffusion may carry a
// colour past either end).
struct LinearColour {
    float r = 0, g = 0, b = 0;
};

// A colour in OKLab, in single precision: L lightness 0..1, a green-red, b
// blue-yellow.
struct LabColour {
    float L = 0, a = 0, b = 0;
};

// OKLab of a linear colour (OkLab_From_Linear_Floats).
LabColour Lab_Of(const LinearColour& colour);

// The pixels of a source as the colour dithers see them, the sliders applied
// (Adjusted_Pixel_Level after the local term). A pixel's adjusted colour is
// known by a key: its three adjusted levels (0..765), 10 bits each.
class SliderLight {
  public:
    // Brightness a (-550..550), contrast b (-370..370), local c (-20000..20000);
    // levels says how each channel byte is read first (Read_Level_Byte): as
    // the palette level it shows, for a picture drawn in the palette's colours.
    SliderLight(int a, int b, int c, TLevelReading levels = TLevelReading::Bytes);
    // True when the local term moves pixels, so the map must be read.
    bool readsMap() const { return mReadsMap; }
    // The key of a source pixel (B, G, R bytes) whose map pixel is map; map
    // may be null when readsMap() is false.
    std::uint32_t key(const std::uint8_t* bgr, const std::uint8_t* map) const {
        const int shift = map ? mShift[static_cast<std::size_t>(map[0] + map[1] + map[2])]
                              : mShift[kNeutralMapSum];
        const auto level = [&](std::uint8_t v) {
            return static_cast<std::uint32_t>(mLevel[static_cast<std::size_t>(mByte[v] + shift)]);
        };
        return level(bgr[2]) << 20 | level(bgr[1]) << 10 | level(bgr[0]);
    }
    // The linear colour of a key.
    static LinearColour linear(std::uint32_t key);

  private:
    bool mReadsMap = false;
    // Each channel byte's level, before the local term: 3 x the byte it is read as.
    std::array<std::uint16_t, 256> mByte{};
    // Per map sum 0..765: what the pixel's channel levels move by, as an
    // offset into mLevel.
    std::vector<int> mShift;
    // Adjusted level of each reachable channel level after the local term.
    std::vector<std::uint16_t> mLevel;
};

// The inks of a call in every form the dithers compare them in. Each ink's
// linear colour is its bytes' through the same table as a pixel's, so a
// pixel of an ink's exact colour is at distance 0 from it. The inks are
// compared read by levels, as the pixels are (SliderLight), and still
// written as they are.
class InkColours {
  public:
    explicit InkColours(const InkList& inks, TLevelReading levels = TLevelReading::Bytes);
    int count() const { return static_cast<int>(mLinear.size()); }
    const LinearColour& linear(int ink) const { return mLinear[static_cast<std::size_t>(ink)]; }
    const LabColour& lab(int ink) const { return mLab[static_cast<std::size_t>(ink)]; }
    // Writes ink's B, G, R bytes to out.
    void put(int ink, std::uint8_t* out) const {
        const Ink& i = mInks[static_cast<std::size_t>(ink)];
        out[0] = i.b;
        out[1] = i.g;
        out[2] = i.r;
    }
    // The ink nearest to colour in OKLab; the first of equally near ones.
    int nearest(const LabColour& colour) const;
    // The ink nearest to colour in linear light; the first of equally near ones.
    int nearestLinear(const LinearColour& colour) const;

  private:
    InkList mInks;
    std::vector<LinearColour> mLinear;
    std::vector<LabColour> mLab;
};

// The two inks and the mix that best show a colour: ink high covers share
// parts of every `parts` pixels, ink low the rest (share 0: low alone).
struct InkMix {
    std::uint8_t low = 0, high = 0;
    std::uint8_t share = 0;
};

// What a pair of inks costs for how far apart they are: a pair's mix is
// judged by its squared OKLab distance to the pixel's colour plus this
// times the squared OKLab distance between its two inks. So a colour
// between inks A and C, with ink B between them, is drawn from A-B or B-C,
// whose patterns are calm, and not from A-C, whose checks of far colours
// read as noise; a colour far from every near pair still takes the far
// pair that shows it. Chosen by the quality report (bench/quality_report.cpp)
// on scikit-image's astronaut, chelsea and coffee, automatic inks: of 0,
// 0.01, 0.02, 0.03, 0.05 and 0.1, 0.01 gave the least mean rank (blurred
// error / lightness SSIM) of ordered4 and ordered8 over modes 0 and 1; it
// raised mode 0 ordered4's SSIM from 0.857 to 0.910 and lowered its error
// from 3.18 to 2.84. Larger weights calm the patterns further but give the
// picture's colours up to single inks.
inline constexpr float kPairContrastWeight = 0.01f;

// The mixes of a colour among every single ink and every pair of different
// inks mixed in parts (1..64) steps, in linear light, judged by the OKLab
// distance of the mixed colour to the pixel's plus the pair's contrast
// cost (kPairContrastWeight). For each pair the share is
// the projection of the colour onto the line between the two inks in linear
// light, tried rounded down and up; a pair none of whose mixes can beat the
// best so far (by their distance from the segment between its end mixes) is
// passed over. Of equally good mixes the single inks win, then the first
// pair. Built once per call and only read after, so the row threads of a
// call share one.
class MixTable {
  public:
    MixTable(const InkColours& inks, int parts);
    // The best mix of the colour of a key (SliderLight).
    InkMix search(std::uint32_t key) const;
    // The same of the key's linear colour and its OKLab, worked out already.
    InkMix search(const LinearColour& colour, const LabColour& lab) const;

    // A mix with what it costs and where it stands among equally good ones:
    // single inks by index, then pairs in search order.
    struct RankedMix {
        float cost = 0;
        std::uint16_t order = 0;
        InkMix mix;
    };
    // The up to count best mixes of the colour of a key, best first, ranked
    // as search ranks them (cost, then order): search over any subset of the
    // inks, taken in their order here, picks the first of these whose inks
    // are all in it, when one is. count is at least 1.
    std::vector<RankedMix> ranked(std::uint32_t key, int count) const;

  private:
    struct Pair {
        std::uint8_t low, high;
        LinearColour direction; // high - low
        float inverseLength;    // 1 / |direction|^2
        // The segment in OKLab from the pair's first mix to its last
        // (start + t span, t = 0..1, 1 / |span|^2), and the furthest any
        // mix lies from it.
        LabColour start, span;
        float inverseSpan;
        float bulge;
        float contrastCost; // kPairContrastWeight x the squared distance of its inks
    };
    // Whether two pairs mix the same two colours.
    bool sameColour(const Pair& a, const Pair& b) const;
    // The squared OKLab distance of colour to the pair's segment.
    static float segmentDistance(const Pair& pair, const LabColour& colour);
    // Whether pair p can have a mix below cost limit: false when its
    // contrast cost or its segment, widened by its bulge, says not.
    static bool mayBeat(const Pair& pair, const LabColour& lab, float limit);
    // Pair p's best mix for the colour and what it costs (its distance plus
    // the pair's contrast cost), of the shares next to the colour's
    // projection, the lower share on a tie.
    float pairMix(std::size_t p, const LinearColour& colour, const LabColour& lab,
                  std::uint8_t& share) const;
    const InkColours& mInks;
    int mParts;
    std::vector<Pair> mPairs;
    // OKLab of pair p at share s (1..parts - 1): p x (parts - 1) + s - 1.
    std::vector<LabColour> mMixLab;
};

// A MixTable's decisions cached by colour key, for one thread: the cache
// only saves work, never changes a choice, so any split of the pixels among
// choosers gives the same mixes.
class MixChooser {
  public:
    explicit MixChooser(const MixTable& table);
    InkMix choose(std::uint32_t key);

  private:
    const MixTable& mTable;
    // Direct-mapped: key << 32 | 1 << 31 | the mix, 0 for an empty slot.
    std::vector<std::uint64_t> mCache;
};
