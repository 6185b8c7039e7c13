#include "MonitorBorder.h"

#include <algorithm>

namespace {

// The frame every screen here keeps: the firmware programs these CRTC
// registers at power-on and neither the loader nor the viewer changes them.
constexpr int kCharactersPerLine = 63 + 1; // R0 + 1: characters of a whole line, 64 us
constexpr int kHsyncCharacters = 14;       // R3 bits 3-0 (&8E): horizontal sync width
constexpr int kCharacterRowsPerFrame = 38 + 1; // R4 + 1: character rows of a whole frame
constexpr int kAdjustLines = 0;                // R5: extra lines at the frame's end

// The gate array outputs black from the start of the CRTC's vertical sync
// until its own count of 26 lines ends, whatever R3's sync width (CPCWiki,
// "Gate Array", CSYNC signal; the firmware's 8-line sync is shorter).
constexpr int kVsyncBlankLines = 26;

} // namespace

MonitorBorder Monitor_Border(const ScreenGeometry& geometry) {
    // Characters of a line counted from the first displayed one: the border
    // runs from the end of the previous line's sync to the start of this one's.
    const int shownFrom = geometry.hsyncPosition + kHsyncCharacters - kCharactersPerLine;
    const int shownTo = geometry.hsyncPosition;
    // Lines of a frame counted from the first displayed one, likewise.
    const int frameLines = kCharacterRowsPerFrame * geometry.linesPerCharacter + kAdjustLines;
    const int vsyncLine = geometry.vsyncPosition * geometry.linesPerCharacter;
    const int linesFrom = vsyncLine + kVsyncBlankLines - frameLines;
    const int linesTo = vsyncLine;
    MonitorBorder border;
    border.left = std::max(0, -shownFrom);
    border.right = std::max(0, shownTo - geometry.characterColumns);
    border.top = std::max(0, -linesFrom);
    border.bottom = std::max(0, linesTo - Screen_Lines(geometry));
    return border;
}
