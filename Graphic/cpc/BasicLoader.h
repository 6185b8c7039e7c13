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
