#pragma once

#include <string>

#include "Picture.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"

// The discs of a result in CPC+ colours, for a 6128 Plus. The inks are the
// result's 12-bit colours (channel level v as byte 17 v), mode.inkCount of
// them; each writer returns the line that says what the disc holds
// (Disc_Listing).

// NAME.SCR (the screen memory of geometry, loading at kViewerPictureAddress),
// NAME.KIT (the pens, PlusKit.h), the viewer VIEW.BIN (Plus_Viewer) and the
// loader DISC.BAS that loads the viewer and the picture and calls the viewer:
// RUN"DISC" shows the result, standard or full screen, until a key is pressed,
// then the machine resets. Raises an Exception when the result does not fill
// the mode's screen on geometry.
std::string Save_Plus_Picture_Disc(const TPicture& result, const InkList& inks,
                                   const ScreenMode& mode, const ScreenGeometry& geometry,
                                   const std::string& name, const std::string& fileName);

// The same compressed: DISC.BAS, VIEW.BIN (the viewer and the ZX0 decoder,
// Packed_Plus_Viewer) and NAME.ZX0 (the screen memory in ZX0), which the
// viewer unpacks onto the screen before it sets the colours. Raises an
// Exception as above, and when the stream is too large for the viewer's memory.
std::string Save_Packed_Plus_Picture_Disc(const TPicture& result, const InkList& inks,
                                          const ScreenMode& mode, const ScreenGeometry& geometry,
                                          const std::string& name, const std::string& fileName);
