#include "LevelRunRow.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define TINTORA_LEVEL_RUNS_SSSE3 1
#endif

namespace {

constexpr int kLevels = 766;
constexpr std::int16_t kUnreached = 0x7FFF; // above every level
constexpr int kOddSlots = 8;                // odd pixels' runs start at this slot

#ifdef TINTORA_LEVEL_RUNS_SSSE3

const bool hasSsse3 = __builtin_cpu_supports("ssse3");

// Byte shuffles that interleave three 16-byte vectors of B, G and R into
// the 48 bytes of 16 pixels: for output chunk j (16 bytes) and channel c,
// the pixel whose channel c lands at each byte, or 0x80 for a byte of
// another channel.
struct InterleaveMasks {
    alignas(16) std::uint8_t masks[3][3][16];
    InterleaveMasks() {
        for (int j = 0; j < 3; ++j)
            for (int c = 0; c < 3; ++c)
                for (int p = 0; p < 16; ++p) {
                    const int q = 16 * j + p;
                    masks[j][c][p] = q % 3 == c ? static_cast<std::uint8_t>(q / 3) : 0x80;
                }
    }
};
const InterleaveMasks kInterleave;

__attribute__((target("ssse3"))) inline __m128i load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("ssse3"))) inline __m128i mask(int j, int c) {
    return load(kInterleave.masks[j][c]);
}

__attribute__((target("ssse3"))) int ssse3Row(const std::uint8_t* src, std::uint8_t* out, int width, int steps,
                                               const std::array<std::array<std::int16_t, 8>, TLevelRunRow::kMaxRuns - 1>& stepLevels,
                                               const std::array<std::array<std::uint8_t, 16>, 3>& runColours) {
    // Each pixel's three bytes and a zero, four pixels to a vector, whose
    // byte pairs the multiply-add sums and the horizontal add completes.
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i ones = _mm_set1_epi8(1);
    const __m128i firstSlots = _mm_setr_epi16(0, kOddSlots, 0, kOddSlots, 0, kOddSlots, 0, kOddSlots);
    __m128i levels[TLevelRunRow::kMaxRuns - 1];
    for (int k = 0; k < steps; ++k)
        // A pixel at or above the step's level is past it: greater than one less.
        levels[k] = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(stepLevels[static_cast<unsigned>(k)].data())),
                                  _mm_set1_epi16(1));
    const __m128i blue = _mm_loadu_si128(reinterpret_cast<const __m128i*>(runColours[0].data()));
    const __m128i green = _mm_loadu_si128(reinterpret_cast<const __m128i*>(runColours[1].data()));
    const __m128i red = _mm_loadu_si128(reinterpret_cast<const __m128i*>(runColours[2].data()));
    int x = 0;
    // The last load of 16 pixels reads 4 bytes past their 48: two pixels more must be there.
    for (; x + 18 <= width; x += 16, src += 48, out += 48) {
        const __m128i m0 = _mm_maddubs_epi16(_mm_shuffle_epi8(load(src), spread), ones);
        const __m128i m1 = _mm_maddubs_epi16(_mm_shuffle_epi8(load(src + 12), spread), ones);
        const __m128i m2 = _mm_maddubs_epi16(_mm_shuffle_epi8(load(src + 24), spread), ones);
        const __m128i m3 = _mm_maddubs_epi16(_mm_shuffle_epi8(load(src + 36), spread), ones);
        const __m128i low = _mm_hadd_epi16(m0, m1), high = _mm_hadd_epi16(m2, m3);
        __m128i lowSlot = firstSlots, highSlot = firstSlots;
        for (int k = 0; k < steps; ++k) {
            lowSlot = _mm_sub_epi16(lowSlot, _mm_cmpgt_epi16(low, levels[k]));
            highSlot = _mm_sub_epi16(highSlot, _mm_cmpgt_epi16(high, levels[k]));
        }
        const __m128i slots = _mm_packus_epi16(lowSlot, highSlot);
        const __m128i b = _mm_shuffle_epi8(blue, slots), g = _mm_shuffle_epi8(green, slots),
                      r = _mm_shuffle_epi8(red, slots);
        for (int j = 0; j < 3; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * j),
                             _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, mask(j, 0)), _mm_shuffle_epi8(g, mask(j, 1))),
                                          _mm_shuffle_epi8(r, mask(j, 2))));
    }
    return x;
}

#endif

} // namespace

bool TLevelRunRow::Prepare(const std::uint32_t* even, const std::uint32_t* odd) {
    mReady = false;
    for (auto& step : mStepLevels)
        step.fill(kUnreached);
    int most = 0;
    for (int parity = 0; parity < 2; ++parity) {
        const std::uint32_t* table = parity ? odd : even;
        int run = 0;
        for (int level = 0; level < kLevels; ++level) {
            if (level > 0 && table[level] != table[level - 1]) {
                if (++run >= kMaxRuns)
                    return false;
                for (int lane = parity; lane < 8; lane += 2)
                    mStepLevels[static_cast<std::size_t>(run - 1)][static_cast<std::size_t>(lane)] =
                        static_cast<std::int16_t>(level);
            }
            const auto slot = static_cast<std::size_t>(parity * kOddSlots + run);
            for (std::size_t c = 0; c < 3; ++c)
                mRunColours[c][slot] = static_cast<std::uint8_t>(table[level] >> (8 * c));
        }
        if (run > most)
            most = run;
    }
    mSteps = most;
    mReady = true;
    return true;
}

int TLevelRunRow::Row(const std::uint8_t* src, std::uint8_t* out, int width) const {
#ifdef TINTORA_LEVEL_RUNS_SSSE3
    if (mReady && hasSsse3)
        return ssse3Row(src, out, width, mSteps, mStepLevels, mRunColours);
#else
    (void)src;
    (void)out;
    (void)width;
#endif
    return 0;
}
