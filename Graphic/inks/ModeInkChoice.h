#pragma once

#include <vector>

#include "InkChoice.h"
#include "Picture.h"
#include "ScreenMode.h"
#include "Dithers.h"

// The automatic ink choice for any screen mode and dither: the set of
// mode.inkCount different CPC colours whose result, by the dither in use,
// looks closest to the source. Inks can be kept; the search picks the others.
struct Mode_Ink_Choice {
    // Colour numbers (0..26) of inks 0 .. mode.inkCount - 1.
    std::vector<int> numbers;
    // The perceptual blurred error of the chosen inks' result (0 where the
    // control's measureChoice is off and the search did not measure it).
    double error = 0;
    // Stopped by the cancel flag: numbers and error mean nothing.
    bool cancelled = false;
};

// How the inks are searched for.
enum class Ink_Search_Way {
    Automatic, // the exact search of InkChoice.h for the classic dither in
               // mode 1; else EverySet up to kMaxEnumeratedSets sets, Swaps past it
    EverySet,  // every set ranked by the proxy, the best kJudgedSets judged
    Swaps,     // a start from clustering, then swaps of one ink
};

// The most sets the automatic search ranks one by one (mode 1 has 17,550).
inline constexpr long long kMaxEnumeratedSets = 20000;
// Sets the real dither and the measure judge after the proxy ranked them all.
inline constexpr int kJudgedSets = 32;
// The real dither judges every set where that costs no more pixels than
// judging kJudgedSets sets on the mode's whole screen: a small picture, or
// few sets to choose from. Judging all of mode 2's 351 pairs on its whole
// screen took ten times as long as the search (3.3 s against 0.34 s of
// processor time for the classic dither), and judging them on a copy a
// quarter of the screen each way picked pairs far worse than the proxy's;
// mode 2 now judges every pair by the pair judge instead, which gives most
// pairs up after a few bands of rows.
inline constexpr int kJudgeEverySetOf = kJudgedSets;

// The choice, in order:
// - A picture whose colours are all CPC colours (each channel within 8 of 0,
//   128 or 255) and fit beside the kept inks gets them as its inks, the
//   inks left over the lowest colour numbers not in use.
// - Else every candidate set is judged by the dither in use and the
//   perceptual measure of its result (PerceptualMeasure.h): the blurred
//   error, divided by the lightness SSIM as seen to count grain. A picture
//   of more than twice the mode's screen is judged on its copy stretched to
//   the screen.
// - Automatic with two inks to choose of a mode's two (mode 2), every
//   dither but None: every pair is judged, a band of rows at a time,
//   the pairs the proxy ranks best first; a pair is given up once it
//   cannot beat the best so far (PairJudge.h). No other candidate is
//   judged after: every one is a pair.
// - EverySet: the proxy of InkSetProxy.h ranks every set, the best
//   kJudgedSets are judged (every set within kJudgeEverySetOf).
// - Swaps: k-means in OKLab over the proxy's colour bins, kept inks as fixed
//   centres, snapped to the nearest free CPC colours; then, while the proxy
//   improves, the best swap of one ink for an unused colour; then, while the
//   measure improves, the swaps the proxy ranks best (and, the first time,
//   the best swap of each ink) are judged and the best taken.
// - Then the choice is held to robust candidates, and the best of them under
//   the measure wins: the k-means start, the classic dither's set (its exact
//   set in mode 1, its swap search in mode 0) and, for the ordered dithers,
//   the set error diffusion's search (as above, without candidates) picks
//   for the picture stretched to half the screen each way (a picture up to
//   twice that size as it is) are judged beside it. White and black
//   (PlainColours.h), and grey in a picture of greys, are always in the set
//   where the picture has areas of them and the free inks leave room for at
//   least two others: each one missing takes, in turn, the place of the ink
//   whose loss the measure minds least. Grey in other pictures is tried the
//   same way and kept if the measure prefers it.
// Of equal results the one ranked first wins, so the choice is the same on
// any number of threads. Progress counts proxy errors as one unit and
// judgements as more.
//
// kept has mode.inkCount entries, each a colour number or kChooseInk. source
// is the picture to convert (24-bit), map its local-contrast map, a, b, c the
// sliders as the dither gets them. Raises an Exception when kept has the
// wrong length or a kept number is not a colour.
Mode_Ink_Choice Choose_Mode_Inks(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                                 TDither dither, const ScreenMode& mode, int a, int b, int c,
                                 const Ink_Search_Control& control,
                                 Ink_Search_Way way = Ink_Search_Way::Automatic);
