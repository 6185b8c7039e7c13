#pragma once

#include <cstdint>
#include <vector>

#include "Picture.h"
#include "ScreenMode.h"

// The machine code of a slideshow disc (z80/SlideshowViewer.asm with the ZX0
// decoder in the same file), and where the disc's loader puts it and each
// compressed picture. Unlike the full-screen viewer it returns to BASIC after
// each picture, so it keeps clear of everything the firmware and BASIC use:
// BASIC's HIMEM goes below it, whose first LOAD then takes its 4 KB file
// buffer below that, still far above a loader of the most pictures; the
// pictures load after the table of the most pictures and end below the
// firmware's memory (from &A67C on a disc machine).
inline constexpr int kSlideshowLoadAddress = 0x3000;
// A disc's directory holds 64 files: the loader, the viewer and 62 pictures
// of one directory entry each.
inline constexpr int kSlideshowMostPictures = 62;
inline constexpr int kSlideshowPictureAddress = 0x3600;
inline constexpr int kSlideshowFirmwareStart = 0xA67C;

// One picture of the show as the viewer sets the CPC for it: its mode and
// that mode's inks (mode.inkCount of them; the other pens and the border
// take ink 0's colour).
struct SlideshowInks {
    int mode = kDefaultScreenMode;
    InkList inks;
};

// The viewer's bytes with one table row for each picture, in the order
// BASIC calls them, to load at kSlideshowLoadAddress. Raises an Exception
// when there are none, more than kSlideshowMostPictures, or inks that do
// not suit their mode.
std::vector<std::uint8_t> Slideshow_Viewer(const std::vector<SlideshowInks>& pictures);

// The most bytes a compressed picture can take where the viewer finds it.
inline constexpr int kSlideshowPictureRoom = kSlideshowFirmwareStart - kSlideshowPictureAddress;
