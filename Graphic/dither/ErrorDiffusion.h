#pragma once

#include <vector>

#include "Picture.h"
#include "ScreenMode.h"

// Error diffusion in linear light: each pixel, plus the error passed on to
// it, takes the ink nearest in OKLab (the colour clipped to 0..1 for the
// choice), and the difference is passed on to pixels not yet done, by the
// kernel's weights.

// One share of the error: to the pixel dx ahead (in the row's direction) and
// dy rows below, weight of the whole error.
struct ErrorShare {
    int dx = 0, dy = 0;
    float weight = 0;
};

struct DiffusionKernel {
    std::vector<ErrorShare> shares; // dx -2..2, dy 0..2
    // Odd rows run right to left (and the kernel with them), which keeps
    // the error from drifting one way.
    bool serpentine = false;
};

// source and result come prepared by Mode_Dither: 24-bit, of one size, not empty.
void Diffuse_Error(const TPicture& source, TPicture& result, const TPicture& map,
                   const InkList& inks, int a, int b, int c, const DiffusionKernel& kernel);
