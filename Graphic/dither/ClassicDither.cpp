#include "Engine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "ClassicDither.h"
#include "DitherRules.h"
#include "DitherRun.h"
#include "LevelRunRow.h"
#include "RowThreads.h"
#include "SysUtils.h"

namespace {

constexpr int kFullLevel = kDitherFullLevel;
constexpr int kMapSumCount = 766;
// Widest span of pixel levels the local term can open: 0..765 shifted by
// -20000..20157 (map sums 0..765 at the slider's end).
constexpr int kMaxLevelSpan = kFullLevel + 20000 + 20158 + 1;

struct WorkingInk {
    std::uint8_t bgr[3];
    int level;
};

// The working ink list: the inks in the dither's order, with adjusted levels.
std::vector<WorkingInk> sortedInks(const InkList& inks, int a, int b) {
    std::vector<int> levels(inks.size()), order(inks.size());
    for (std::size_t i = 0; i < inks.size(); ++i)
        levels[i] = Adjusted_Ink_Level(Ink_Level(inks[i]), a, b);
    Dither_Entry_Order(levels, order);
    std::vector<WorkingInk> list(inks.size());
    for (std::size_t k = 0; k < inks.size(); ++k) {
        const std::size_t i = static_cast<std::size_t>(order[k]);
        list[k] = {{inks[i].b, inks[i].g, inks[i].r}, levels[i]};
    }
    return list;
}

// Everything a pixel needs, worked out once per call: for each map sum the
// shift it gives a pixel's level (as an index into the level range), and for
// each threshold and reachable level the colour chosen, packed B, G, R.
class DitherTables {
public:
    // inks: one or more (four in mode 1, sixteen in mode 0, two in mode 2).
    void prepare(const InkList& inks, int a, int b, int c) {
        const std::vector<WorkingInk> list = sortedInks(inks, a, b);
        std::vector<int> levels(list.size());
        for (std::size_t k = 0; k < list.size(); ++k)
            levels[k] = list[k].level;
        std::array<int, kMapSumCount> term;
        int termLow = 0, termHigh = 0;
        for (std::size_t n = 0; n < kMapSumCount; ++n) {
            term[n] = Local_Term(static_cast<int>(n), c);
            termLow = std::min(termLow, term[n]);
            termHigh = std::max(termHigh, term[n]);
        }
        // Levels up to the lowest ink's choose like it and levels past the
        // highest ink's like one above it (not the highest itself: with all
        // levels equal it takes entry 0), and no pixel reaches outside
        // [-termHigh, 765 - termLow], so clamping into the overlap of the two
        // never changes a choice.
        const int low = std::max(list.front().level, -termHigh);
        const int high = std::max(low, std::min(list.back().level + 1, kFullLevel - termLow));
        if (high - low + 1 > kMaxLevelSpan)
            throw Exception("Local contrast reinforcement " + IntToStr(c) + " is outside -20000..20000");
        mLast = high - low;
        for (std::size_t n = 0; n < kMapSumCount; ++n)
            mShift[n] = -term[n] - low;
        mMapMatters = termLow != termHigh;
        for (int threshold = 1; threshold <= 4; ++threshold) {
            std::uint32_t* colours = mColour[static_cast<std::size_t>(threshold - 1)].data();
            for (int m = low; m <= high; ++m) {
                const WorkingInk& ink = list[static_cast<std::size_t>(Dither_Entry(levels, m, threshold))];
                colours[m - low] = ink.bgr[0] | ink.bgr[1] << 8 | static_cast<std::uint32_t>(ink.bgr[2]) << 16;
            }
            // Without a local term every pixel's shift is the same: its
            // colour follows from its own level alone.
            if (!mMapMatters)
                for (int level = 0; level <= kFullLevel; ++level)
                    mDirect[static_cast<std::size_t>(threshold - 1)][static_cast<std::size_t>(level)] =
                        colours[std::clamp(level + mShift[0], 0, mLast)];
        }
        if (!mMapMatters)
            for (std::size_t parity = 0; parity < 2; ++parity)
                mRuns[parity].Prepare(mDirect[static_cast<std::size_t>(kDitherThreshold[parity][0] - 1)].data(),
                                      mDirect[static_cast<std::size_t>(kDitherThreshold[parity][1] - 1)].data());
    }

    // Without a local term the map need not exist: mapRow is then not read.
    bool readsMap() const { return mMapMatters; }

    void row(const std::uint8_t* __restrict src, const std::uint8_t* __restrict map, std::uint8_t* __restrict out,
             int width, int y) const {
        if (mMapMatters)
            rowOf<true>(src, map, out, width, y);
        else
            rowOf<false>(src, map, out, width, y);
    }

private:
    // Without a local term (c = 0, or every shift equal) the map need not be read.
    template <bool kReadMap>
    void rowOf(const std::uint8_t* __restrict src, const std::uint8_t* __restrict map, std::uint8_t* __restrict out,
               int width, int y) const {
        const std::size_t even = static_cast<std::size_t>(kDitherThreshold[y & 1][0] - 1);
        const std::size_t odd = static_cast<std::size_t>(kDitherThreshold[y & 1][1] - 1);
        const std::uint32_t* evenColours = kReadMap ? mColour[even].data() : mDirect[even].data();
        const std::uint32_t* oddColours = kReadMap ? mColour[odd].data() : mDirect[odd].data();
        const std::size_t step = kReadMap ? 3 : 0;
        int x = 0;
        if constexpr (!kReadMap) {
            x = mRuns[static_cast<std::size_t>(y & 1)].Row(src, out, width);
            src += 3 * static_cast<std::size_t>(x);
            out += 3 * static_cast<std::size_t>(x);
        }
        // Four pixels at a time, their 12 bytes stored as three words: byte
        // by byte, the stores cost more than the rest of the work.
        if constexpr (std::endian::native == std::endian::little) {
            for (; x + 3 < width; x += 4, src += 12, map += 4 * step, out += 12) {
                const std::uint32_t p0 = colourOf<kReadMap>(src, map, evenColours);
                const std::uint32_t p1 = colourOf<kReadMap>(src + 3, map + step, oddColours);
                const std::uint32_t p2 = colourOf<kReadMap>(src + 6, map + 2 * step, evenColours);
                const std::uint32_t p3 = colourOf<kReadMap>(src + 9, map + 3 * step, oddColours);
                // Word by word: one 12-byte copy would go through the stack.
                const std::uint32_t first = p0 | p1 << 24, second = p1 >> 8 | p2 << 16, third = p2 >> 16 | p3 << 8;
                std::memcpy(out, &first, 4);
                std::memcpy(out + 4, &second, 4);
                std::memcpy(out + 8, &third, 4);
            }
        }
        for (; x < width; ++x, src += 3, map += step, out += 3) {
            const std::uint32_t colour = colourOf<kReadMap>(src, map, x % 2 ? oddColours : evenColours);
            out[0] = static_cast<std::uint8_t>(colour);
            out[1] = static_cast<std::uint8_t>(colour >> 8);
            out[2] = static_cast<std::uint8_t>(colour >> 16);
        }
    }

    // The colour of one pixel, packed B, G, R, from the threshold's table:
    // mColour's when the map is read (map is then a pixel of the map), else
    // mDirect's (map is not read).
    template <bool kReadMap>
    std::uint32_t colourOf(const std::uint8_t* src, const std::uint8_t* map, const std::uint32_t* colours) const {
        const int s = src[0] + src[1] + src[2];
        if constexpr (kReadMap)
            return colours[std::clamp(s + mShift[static_cast<std::size_t>(map[0] + map[1] + map[2])], 0, mLast)];
        else
            return colours[s];
    }

    bool mMapMatters = false;
    std::array<int, kMapSumCount> mShift;
    int mLast = 0;
    // Per threshold; filled only up to mLast. Kept out of the heap so a call
    // allocates nothing.
    std::array<std::array<std::uint32_t, kMaxLevelSpan>, 4> mColour;
    // Per threshold and pixel level 0..765, without a local term only.
    std::array<std::array<std::uint32_t, kFullLevel + 1>, 4> mDirect;
    // mDirect's two tables of an even row and of an odd row, as runs.
    std::array<TLevelRunRow, 2> mRuns;
};

// The classic dither over any rows: each result row depends on its own
// source and map rows and its parity only. The tables are the caller's
// (CPC_Mode1_Dither keeps one set per thread) or the run's own.
class ClassicRun final : public TDitherRun {
public:
    explicit ClassicRun(const DitherTables& tables) : TDitherRun(tables.readsMap(), false), mTables(tables) {}
    explicit ClassicRun(std::unique_ptr<DitherTables> owned) : ClassicRun(*owned) { mOwned = std::move(owned); }

private:
    void render(const TPicture& source, const TPicture& map, const std::vector<std::uint8_t*>& rows, int first,
                int last) override {
        const int width = source.GetWidth();
        Run_Over_Rows(first, last, Rows_Worth_A_Thread(width), [&](int from, int to) {
            for (int y = from; y < to; ++y)
                mTables.row(source.GetScanline(y), mTables.readsMap() ? map.GetScanline(y) : nullptr,
                            rows[static_cast<std::size_t>(y - first)], width, y);
        });
    }

    const DitherTables& mTables;
    std::unique_ptr<DitherTables> mOwned;
};

} // namespace

void CPC_Mode1_Dither(TPicture& source, TPicture& result, const TPicture& map, const InkTable& inks, int a,
                      int b, int c) {
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    result.SetWidth(width);
    result.SetHeight(height);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    if (width == 0 || height == 0)
        return;

    // About 650 KB of tables: too much for the stack of a GUI thread, and
    // rebuilt completely by every call, so one per calling thread is kept.
    // The row threads only read the caller's tables, and only during the call.
    thread_local const std::unique_ptr<DitherTables> callerTables = std::make_unique<DitherTables>();
    callerTables->prepare(Ink_List_Of(inks), a, b, c);
    ClassicRun(*callerTables).Rows(source, result, map, 0, height);
}

std::unique_ptr<TDitherRun> Start_Classic_Dither(const InkList& inks, int a, int b, int c) {
    // Left uninitialised: prepare fills every entry a pixel can reach.
    std::unique_ptr<DitherTables> tables(new DitherTables);
    tables->prepare(inks, a, b, c);
    return std::make_unique<ClassicRun>(std::move(tables));
}

void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c) {
    Start_Classic_Dither(inks, a, b, c)->Rows(source, result, map, 0, source.GetHeight());
}
