#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"
#include "ScreenMode.h"

// The size of a CP/M record; ASCII files end in whole records.
inline constexpr std::size_t kRecordBytes = 128;
// CP/M's end-of-file mark, which fills a text file's last record.
inline constexpr std::uint8_t kEndOfFileMark = 0x1A;

// The BASIC loader DISC.BAS as plain ASCII text with no header: sets the
// mode, the border (ink 0's colour) and each of the mode's inks (colour
// numbers, four INKs a line), loads screenFile (such as "PIC.SCR") into screen
// memory and waits for a key. Lines end in CR LF; the last record is filled
// with the end-of-file mark.
std::vector<std::uint8_t> Basic_Loader(const std::string& screenFile, const InkList& inks, const ScreenMode& mode);

// The loader of a mode 1 picture in the four inks.
std::vector<std::uint8_t> Basic_Loader(const std::string& screenFile, const InkTable& inks);

// The loader DISC.BAS of a screen that a machine-code viewer shows, as plain
// ASCII text like the one above: moves BASIC's HIMEM below both addresses,
// loads viewerFile at viewerAddress and pictureFile at pictureAddress, and CALLs the
// viewer, which sets the screen, the mode and the inks itself.
std::vector<std::uint8_t> Viewer_Loader(const std::string& viewerFile, int viewerAddress,
                                        const std::string& pictureFile, int pictureAddress);

// The loader DISC.BAS of a slideshow, as plain ASCII text like the ones
// above: sets mode 1 and every ink of the mode and the border black (the
// firmware shows them whenever the viewer has returned, so the screen stays
// dark while a picture loads), moves HIMEM below viewerAddress, loads
// viewerFile there, then in a loop loads each of pictureFiles in turn at
// pictureAddress and calls the viewer with the picture's number (0 for the
// first): CALL &VIEWER,N. Raises an Exception when there is no picture.
std::vector<std::uint8_t> Slideshow_Loader(const std::string& viewerFile, int viewerAddress,
                                           const std::vector<std::string>& pictureFiles, int pictureAddress);
