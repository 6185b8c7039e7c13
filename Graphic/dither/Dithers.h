#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DitherRun.h"
#include "ErrorDiffusion.h"
#include "Picture.h"
#include "ScreenMode.h"

// The dithers, one family behind one signature: each turns a 24-bit source
// into a result of the source's size in which every pixel is an exact copy
// of one of the mode's inks. Brightness a (-550..550), contrast b (-370..370)
// and local c (-20000..20000) keep their meaning in every dither; map is the
// source's local-contrast map (Local_Contrast_Map), read only when c != 0.
enum class TDither {
    Classic,   // the 2x2 level dither of the original design (mode 1: CPC_Mode1_Dither, exact)
    Ordered2,  // Bayer 2x2 over the best pair of inks, in linear light
    Ordered4,  // Bayer 4x4
    Ordered8,  // Bayer 8x8
    Diffusion, // Floyd-Steinberg, serpentine, in linear light
    Atkinson,  // Atkinson's diffusion: 3/4 of the error passed on across edges
    None,      // each pixel its nearest ink
};

struct DitherInfo {
    TDither dither;
    const char* name;  // the command line's name: "classic", "ordered4", ...
    const char* title; // the menu's name: "Classic", "Ordered 4x4", ...
};

// Every dither, Classic first.
extern const std::vector<DitherInfo> kDithers;

// The dither of a command-line name. Raises an Exception naming the choices otherwise.
TDither Dither_From_Name(const std::string& name);
const DitherInfo& Dither_Info(TDither dither);
// The dither named by the --dither option's text; raises an Exception that
// lists every name otherwise.
TDither Dither_From_Option(const std::string& text);

// Dithers source into result with inks (mode.inkCount of them) by the given
// dither. source is made 24-bit; result takes the source's size. Raises an
// Exception when the count of inks is not the mode's, a slider is out of its
// range, or c != 0 and map is not of the source's size. prepared: what
// Prepare_Mode_Dither made of this source, map and sliders, or nothing.
void Mode_Dither(TDither dither, TPicture& source, TPicture& result, const TPicture& map,
                 const InkList& inks, int a, int b, int c, const ScreenMode& mode,
                 std::shared_ptr<const DiffusionEdges> prepared = {});

// What a dither reads of the source alone, whatever the inks, made once for
// many runs over one source (a search trying many sets of inks): nothing for
// most dithers. The runs give the same bytes with it as without.
std::shared_ptr<const DiffusionEdges> Prepare_Mode_Dither(TDither dither, TPicture& source,
                                                          const TPicture& map, int a, int b,
                                                          int c);

// The same in parts: checks and prepares the pictures as Mode_Dither does
// (source 24-bit, result of its size, not yet rendered) and returns the run
// that renders the result's rows, from these pictures or others of their
// size.
std::unique_ptr<TDitherRun> Start_Mode_Dither(TDither dither, TPicture& source, TPicture& result,
                                              const TPicture& map, const InkList& inks, int a,
                                              int b, int c, const ScreenMode& mode,
                                              std::shared_ptr<const DiffusionEdges> prepared = {});
