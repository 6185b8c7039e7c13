#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <vector>

#include "InkMeasure.h"
#include "Picture.h"
#include "RowThreads.h"

// The automatic ink choice: of all sets of four different CPC colours, the
// one whose dithered result (CPC_Mode1_Dither with those inks, at channel
// values 0/127/254) is closest to the source under the measure of
// InkMeasure.h. Any ink can be kept; the search picks the others.

// Colour numbers (0..26) of inks 0..3; kChooseInk marks an ink to choose.
using InkNumbers = std::array<int, 4>;
inline constexpr int kChooseInk = -1;

// A picture with more cells than this is judged on an evenly spread sample.
inline constexpr int kMaxJudgedCells = 16000;

// The 2x2 dither cells a choice is judged on, read from the source once.
// Cells are the full 2x2 blocks at even rows and columns (an odd last row or
// column is not judged). Each pixel is kept as its level after the local
// term, m, which with its threshold is all the dither looks at.
struct Ink_Search_Cells {
    int brightness = 0, contrast = 0, local = 0;
    // Top-left pixel of each cell.
    std::vector<int> x, y;
    // The cell's four m, in the order (even row, even column), (even row,
    // odd column), (odd row, even column), (odd row, odd column).
    std::vector<std::array<int, 4>> m;
    // The source cell's colour (Cell_Colour).
    std::vector<OkLab> colour;
    // Lowest and highest m of all the cells.
    int lowest = 0, highest = 0;
};

// Reads the cells of a 24-bit source and its local-contrast map, with
// brightness a (-550..550), contrast b (-370..370) and local c
// (-20000..20000) as CPC_Mode1_Dither would get them. Past kMaxJudgedCells
// cells, an evenly spaced grid of cells of about the picture's proportions.
// The map is read only when c != 0 (it may then be empty); a map of another
// size raises an Exception.
Ink_Search_Cells Ink_Search_Cells_Of(const TPicture& source, const TPicture& map, int a, int b,
                                     int c);

// How the search runs: on how many threads (the caller's counts as one), with
// progress reported on the caller's thread as units done out of a total, and a
// flag that, once set from any thread, stops it early.
struct Ink_Search_Control {
    // Every core of the machine, at least one.
    static int AllCores() { return All_Cores(); }
    int threads = 1;
    std::function<void(int done, int total)> progress;
    const std::atomic<bool>* cancel = nullptr;
    // Whether Choose_Mode_Inks gives the chosen inks' error where its search
    // did not measure them anyway (the exact search, a picture in its own
    // colours): that costs a judgement, wasted on a caller that only needs
    // the inks.
    bool measureChoice = true;
};

struct Ink_Choice {
    InkNumbers numbers{};
    // The mean cell distance of the chosen inks' result.
    double error = 0;
    // Stopped by the cancel flag: numbers and error mean nothing.
    bool cancelled = false;
};

// The ink table of four colour numbers, at channel values 0/127/254.
InkTable Inks_Of_Numbers(const InkNumbers& numbers);

// Where chosen colours go: the kept inks stay at their places, the chosen
// fill the others darkest first (by level, equal levels by colour number).
InkNumbers Place_Chosen_Inks(const InkNumbers& kept, std::vector<int> chosen);
// The same for any number of inks: kept has one entry per ink.
std::vector<int> Place_Chosen_Inks(const std::vector<int>& kept, std::vector<int> chosen);

// The best set for the cells, keeping every ink of kept that is not
// kChooseInk. The chosen colours differ from each other and from the kept
// ones. Of sets with equal error, the one whose chosen colours come first in
// ascending order wins, so the result is the same on any number of threads
// (a picture under 2 x 2 has no cell to judge: every set scores 0). Raises an Exception when a kept number is not a colour.
Ink_Choice Choose_Inks(const Ink_Search_Cells& cells, const InkNumbers& kept,
                       const Ink_Search_Control& control);

// The measure of an actual result: dithers source with inks and averages the
// distance of every judged cell, taken one by one. The plain check of the search, and
// the error of ink tables that are not at 0/127/254 (the start inks). source
// and map are the ones the cells were read from.
double Ink_Table_Error(TPicture& source, const TPicture& map, const InkTable& inks,
                       const Ink_Search_Cells& cells);
