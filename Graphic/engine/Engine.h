#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Picture.h"

// Slider ranges the engine is built for; the main window's sliders cannot
// leave them, and the command-line converter checks them.
inline constexpr int kBrightnessMin = -550, kBrightnessMax = 550;
inline constexpr int kContrastMin = -370, kContrastMax = 370;
inline constexpr int kLocalMin = -20000, kLocalMax = 20000;

// Map byte meaning "no local difference", and the sum of a neutral map pixel.
inline constexpr int kNeutralMapByte = 127;
inline constexpr int kNeutralMapSum = 3 * kNeutralMapByte;

// Builds the local-contrast map of source: per byte, 127 + (sum of the same
// channel of the 8 neighbours - 8 x the byte) / 32, truncated toward zero, so
// 64..190. Border pixels, and maps under 3 x 3, are 127 throughout. Split by
// rows over Row_Threads() threads.
void Local_Contrast_Map(TPicture& source, TPicture& map);

// Dithers source into result with the four inks: ink levels adjusted by
// brightness a (-550..550) and contrast b (-370..370), pixel levels shifted by
// the map term scaled by local c (-20000..20000), ties between neighbouring
// inks broken by a 2x2 threshold. map must be the current source's map, and
// is read only when c != 0 (it may then be empty); a map of another size
// raises an Exception. Split by rows over Row_Threads() threads.
void CPC_Mode1_Dither(TPicture& source, TPicture& result, const TPicture& map, const InkTable& inks, int a,
                      int b, int c);

// Result codes of Stretch_Palette.
enum : unsigned {
    kStretchDone = 0,
    kStretchNoPicture = 1,
    kStretchEmpty = 2,
    kStretchRowMissingFirstPass = 3,
    kStretchRowMissingSecondPass = 4,
};

// Widens each channel of picture on its own so its smallest value becomes 0
// and its largest 255. A channel holding one value throughout stays as it is.
// Empty pictures are left untouched (not even made 24-bit). Split by rows
// over Row_Threads() threads.
unsigned Stretch_Palette(TPicture* picture);

// Makes destination an exact 24-bit copy of source, size included. Returns 0.
int Copy_Picture(TPicture& destination, TPicture& source);

// Screen memory geometry of mode 1.
inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 200;
inline constexpr int kScreenBytes = 16384;
inline constexpr int kScreenRowBytes = 80;
inline constexpr int kScreenBlockBytes = 2048;
inline constexpr int kScreenLinesPerCharacter = 8;
inline constexpr int kScreenCharacterRows = 25;
static_assert(kScreenBytes == 8 * kScreenBlockBytes);
static_assert(kScreenRowBytes * 4 == kScreenWidth);
static_assert(kScreenLinesPerCharacter * kScreenCharacterRows == kScreenHeight);

// Bits of ink number n at pixel position p (x mod 4) of a mode 1 byte,
// indexed n x 4 + p: ink bit 0 at byte bit 7 - p, ink bit 1 at bit 3 - p.
extern const std::uint8_t Mode1_Pixel_Mask[16];

inline constexpr const char* kConvertBugMessage = "CPC_Mode1_Convert() has detected a bug !!!";

// Packs a four-ink picture into mode 1 bytes, (width + 3) / 4 per row, each
// pixel's ink number that of the first ink of its colour, or else the first
// of its level. A pixel matching no ink takes ink 3; the bug notice is shown
// once for the call.
void CPC_Mode1_Convert(const TPicture& picture, std::unique_ptr<std::uint8_t[]>& packed, const InkTable& inks);

// Reorders 200 packed rows of 80 bytes into the 16384 bytes of screen memory:
// row y at (y mod 8) x 2048 + (y div 8) x 80. The 48 bytes closing each 2048
// byte block carry no picture and are 0.
void CPC_Screen_Layout(const std::uint8_t* packed, std::unique_ptr<std::uint8_t[]>& screen);

// Creates or replaces fileName with count bytes of data. Raises an Exception
// naming the file and the reason when it cannot be written; an existing file
// is then left as it was.
void Write_Raw_File(const std::uint8_t* data, std::size_t count, const std::string& fileName);

// What a file name asks to be saved as: its last three characters, compared
// case-sensitively: "bmp" a BMP picture, "scr" a screen file, "png" a PNG
// picture, "dat" a raw sprite, "pal" an OCP palette, "dsk" a disc image,
// "zx0" a compressed screen, "sna" a snapshot, "kit" a CPC+ palette.
enum class TSaveFormat { Bmp, Screen, Png, Sprite, Palette, Disc, Compressed, Snapshot, PlusPalette, None };
TSaveFormat Save_Format_Of(const std::string& fileName);

// The window's Save to a "scr" name says this when the result is not 320 x 200.
inline constexpr const char* kScreenSizeMessage =
    "This image hasn't the right dimensions. a .src file must be 320x200.";

// Everywhere else a picture of the wrong size is refused naming the picture,
// its size, what the output needs and the way out: "photo.png is 640 x 480; a
// screen file and a disc image need 320 x 200: add --fit crop, pad or stretch".
// outputNeeds ends with its verb ("a disc image needs").
std::string Wrong_Size_Message(const std::string& picture, int width, int height, const std::string& outputNeeds,
                               int neededWidth, int neededHeight, const std::string& wayOut);

// True when result can become a screen file: exactly 320 x 200.
bool Fits_Screen(const TPicture& result);

// The 16384 bytes of screen memory of a 320 x 200 four-ink result: packed,
// then laid out. The packed buffer lives only for the call.
std::vector<std::uint8_t> Screen_File_Bytes(const TPicture& result, const InkTable& inks);

// Writes the screen memory of a 320 x 200 four-ink result to fileName.
void Save_Screen_File(const TPicture& result, const InkTable& inks, const std::string& fileName);
