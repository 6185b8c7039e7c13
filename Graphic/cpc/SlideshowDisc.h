#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SlideshowViewer.h"
#include "SysUtils.h"

// One picture of a slideshow disc: its name on the CPC (an Amsdos_Name), its
// screen (the standard screen's 16384 bytes) compressed in ZX0 (the current
// format), and its mode and inks.
struct SlideshowPicture {
    std::string name;
    std::vector<std::uint8_t> stream;
    SlideshowInks inks;
};

// Raised when the pictures do not suit a slideshow disc (too many, too
// large): a refusal of the input, not a failure to read or write.
class Slideshow_Refusal : public Exception {
  public:
    using Exception::Exception;
};

// Raises a Slideshow_Refusal when a disc cannot show that many pictures
// (more than kSlideshowMostPictures).
void Check_Slideshow_Count(std::size_t pictures);

// Writes a DATA disc that shows the pictures one after another: DISC.BAS
// (Slideshow_Loader) loads SHOW.BIN (Slideshow_Viewer) and then, in a loop,
// each NAME.ZX0 in turn, and calls the viewer, which shows it until a key is
// pressed; after the last it starts again with the first. Returns the line
// that says what the disc holds (Disc_Listing). Raises a Slideshow_Refusal,
// and writes nothing, when the files do not fit on the disc (its message
// says how much they need and how much a disc holds), when a name repeats or
// a picture is too large for the viewer's memory.
std::string Save_Slideshow_Disc(const std::vector<SlideshowPicture>& pictures, const std::string& fileName);

// The names of the disc's loader and viewer.
inline constexpr const char* kSlideshowLoaderName = "DISC";
inline constexpr const char* kSlideshowViewerName = "SHOW";
