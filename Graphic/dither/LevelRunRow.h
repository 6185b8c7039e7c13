#pragma once

#include <array>
#include <cstdint>

// A row of the classic dither without a local term, 16 pixels at a time:
// each pixel's colour follows from its level (the sum of its three bytes,
// 0..765) alone, through one table for the even pixels and one for the odd.
// Each table is held as its runs, the levels where its colour changes and
// the colour of each run, so that a pixel's run is counted by comparisons
// and its colour picked from at most eight, for 16 pixels at once. The bytes
// are the same as the tables give one pixel at a time.
class TLevelRunRow {
  public:
    // The tables: 766 colours each, packed B | G << 8 | R << 16. False, and
    // Row does nothing, when a table has more runs than are held.
    bool Prepare(const std::uint32_t* even, const std::uint32_t* odd);

    // Writes the colours of the first pixels of a row of width pixels, 3
    // bytes each (B, G, R) from src to out, and returns how many it wrote: a
    // multiple of 16, 0 without the processor's SSSE3 instructions or
    // prepared runs. The caller does the rest.
    int Row(const std::uint8_t* src, std::uint8_t* out, int width) const;

    static constexpr int kMaxRuns = 8;

  private:
    bool mReady = false;
    int mSteps = 0; // levels where a colour changes, in the longer table
    // Per step: its level for even pixels and for odd, alternating, as the
    // pixels do; a table with fewer steps repeats a level no pixel reaches.
    std::array<std::array<std::int16_t, 8>, kMaxRuns - 1> mStepLevels{};
    // Per colour byte (B, G, R): the run's colour, even pixels' runs in
    // slots 0..7, odd pixels' in 8..15.
    std::array<std::array<std::uint8_t, 16>, 3> mRunColours{};
};
