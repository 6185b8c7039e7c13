#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"

// The CPC files of a result, each with an AMSDOS header naming it name (an
// Amsdos_Name) and its format's extension, ready for Write_Raw_File.

// Where a screen file loads: screen memory.
inline constexpr int kScreenLoadAddress = 0xC000;

// The screen memory of a 320 x 200 result behind its header: 16512 bytes,
// loading at &C000.
std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name);

// The OCP palette of the inks behind its header: 367 bytes, loading at &8809.
std::vector<std::uint8_t> Palette_File_With_Header(const InkTable& inks, const std::string& name);

// The raw sprite of a result of any size behind its header, loading at
// loadAddress. Raises an Exception when it does not fit in memory there.
std::vector<std::uint8_t> Sprite_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name, int loadAddress);

// Writes a DATA disc image holding NAME.SCR and NAME.PAL, both with headers,
// and the loader DISC.BAS, so that RUN"DISC" shows the 320 x 200 result in
// its inks. Each disc writer returns the line that says what the disc holds
// (Disc_Listing).
std::string Save_Picture_Disc(const TPicture& result, const InkTable& inks, const std::string& name,
                       const std::string& fileName);

// The same files for a result of any mode, its pixels packed by exact colour
// (Pack_Mode_Rows); the palette and the loader set the mode. Raise an
// Exception when the screen or the disc gets a result that does not fill the
// mode's screen.
std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                                                  const std::string& name);
std::vector<std::uint8_t> Palette_File_With_Header(const InkList& inks, const ScreenMode& mode,
                                                   const std::string& name);
std::vector<std::uint8_t> Sprite_File_With_Header(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                                                  const std::string& name, int loadAddress);
std::string Save_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                              const std::string& name, const std::string& fileName);

// The screen memory of a result that fills the mode's screen on geometry,
// behind its header: loading where the screen's memory starts.
std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                                                  const ScreenGeometry& geometry, const std::string& name);

// A disc for a result on any screen: the standard screen's disc above, or
// for a larger screen NAME.SCR (its screen memory, loading at
// kViewerPictureAddress), NAME.PAL, the viewer VIEW.BIN and the loader
// DISC.BAS that loads both and calls the viewer: RUN"DISC" shows the result
// until a key is pressed, then the CPC resets. Raises an Exception when the
// result does not fill the mode's screen on geometry.
std::string Save_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                              const ScreenGeometry& geometry, const std::string& name, const std::string& fileName);

// A disc of the result compressed: DISC.BAS loads VIEW.BIN (the viewer and
// the ZX0 decoder, Packed_Viewer) and NAME.ZX0 (the screen memory in ZX0)
// and calls the viewer, which unpacks the picture onto the screen and shows
// it as the disc above does, on either screen. Raises an Exception when the
// result does not fill the mode's screen on geometry or its stream is too
// large for the viewer's memory.
std::string Save_Packed_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                                     const ScreenGeometry& geometry, const std::string& name,
                                     const std::string& fileName);
