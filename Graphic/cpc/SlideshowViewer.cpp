#include "SlideshowViewer.h"

#include "SlideshowViewerCode.h"
#include "SysUtils.h"

namespace {

namespace code = z80::SlideshowViewer;
static_assert(code::kAddress == kSlideshowLoadAddress, "the build assembles the viewer where the loader puts it");

constexpr int kPens = 16;
constexpr std::uint8_t kModeRomsOff = 0x8C; // gate array: mode and ROM select, both ROMs off

// Where a label of the viewer lies from its first byte.
constexpr int at(int label) {
    return label - code::kAddress;
}

// Settings fields, at the assembled addresses of their labels.
constexpr int kStreamFirst = at(code::kSymbol_stream_first); // word: where BASIC loads each picture
constexpr int kPictures = at(code::kSymbol_pictures);        // 1 byte: rows of the table
constexpr int kTable = at(code::kSymbol_table);              // the rows, at the end of the code
static_assert(kTable == static_cast<int>(code::kCode.size()), "the table follows the code");

// One table row.
constexpr int kRowModeByte = 0; // 1 byte: &8C + mode
constexpr int kRowColours = 1;  // 17 bytes: colour bytes of pens 0..15, then of the border
constexpr int kRowBytes = kRowColours + kPens + 1;
static_assert(kSlideshowLoadAddress + kTable + kSlideshowMostPictures * kRowBytes <= kSlideshowPictureAddress,
              "the table of the most pictures ends before the pictures load");

} // namespace

std::vector<std::uint8_t> Slideshow_Viewer(const std::vector<SlideshowInks>& pictures) {
    if (pictures.empty() || pictures.size() > static_cast<std::size_t>(kSlideshowMostPictures))
        throw Exception("A slideshow shows 1 to " + IntToStr(kSlideshowMostPictures) + " pictures, not " +
                        IntToStr(static_cast<int>(pictures.size())));
    std::vector<std::uint8_t> bytes(code::kCode.begin(), code::kCode.end());
    bytes[kStreamFirst] = static_cast<std::uint8_t>(kSlideshowPictureAddress & 0xFF);
    bytes[kStreamFirst + 1] = static_cast<std::uint8_t>(kSlideshowPictureAddress >> 8);
    bytes[kPictures] = static_cast<std::uint8_t>(pictures.size());
    for (const SlideshowInks& picture : pictures) {
        const ScreenMode& mode = Screen_Mode(picture.mode);
        if (static_cast<int>(picture.inks.size()) != mode.inkCount)
            throw Exception("A mode " + IntToStr(mode.number) + " picture takes " + IntToStr(mode.inkCount) + " inks");
        std::uint8_t row[kRowBytes];
        row[kRowModeByte] = static_cast<std::uint8_t>(kModeRomsOff | mode.number);
        for (int pen = 0; pen <= kPens; ++pen)
            row[kRowColours + pen] = Hardware_Colour_Byte[Colour_Number_Of_Ink(
                picture.inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)])];
        bytes.insert(bytes.end(), row, row + kRowBytes);
    }
    return bytes;
}
