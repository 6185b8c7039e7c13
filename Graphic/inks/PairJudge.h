#pragma once

#include <optional>
#include <vector>

#include "DitherRun.h"
#include "PerceptualMeasure.h"
#include "Picture.h"

// The perceptual score (PerceptualMeasure.h) of a result drawn in two inks,
// worked out from one plane instead of three. In linear light such a result
// is first + (second - first) x indicator, where indicator is 1 at the
// second ink's pixels and 0 elsewhere; a blur is linear, so the blurred
// result is first + (second - first) x blur(indicator). The source's side
// is the reference's, read once for every pair.
//
// The dither renders the result a band of rows at a time, and the error is
// summed as it goes: a result whose error so far already exceeds the rank
// to beat is given up, rows unrendered, since a score's rank is never below
// its error. The rows not yet summed count towards that too, by a bound
// below their error: every blurred colour of two inks lies on the curve
// between them in OKLab, so no pixel comes nearer its source than the box
// around that curve, nor nearer than the nearest of the curve's points less
// the longest step between two of them. The source's blurred OKLab is
// counted once, in cells, for the rows from each band on; a pair's bound is
// then one sum over the cells the source occupies, by the box alone, then,
// for a pair the box does not give up, by the points where they bound
// closer. A score agrees with the reference's own to the rounding of floats.
class PairJudge {
  public:
    explicit PairJudge(const PerceptualReference& reference);

    // The score of the result run renders from source and map into result
    // (24-bit, of the reference's size), every pixel of which is first or
    // second; nothing when its rank is sure to be above beat.
    std::optional<PerceptualScore> score(TDitherRun& run, const TPicture& source,
                                         const TPicture& map, TPicture& result, const Ink& first,
                                         const Ink& second, double beat) const;

  private:
    const PerceptualReference& mReference;
    std::vector<float> mTaps;
    // The row blur of every window of indicators, bit i under tap i.
    std::vector<float> mAcross;
    // The cells: kCellSteps a side over the source's range of each OKLab
    // component (from mLow, mStep wide).
    float mLow[3] = {}, mStep[3] = {};
    // For band b (the rows from b x band rows on), the count of pixels in
    // each cell: b x cells + cell.
    std::vector<int> mRemaining;
    // The cells any pixel falls in.
    std::vector<int> mOccupied;
};
