#pragma once

#include <cstddef>
#include <vector>

#include "InkMeasure.h"
#include "PerceptualMeasure.h"

// A cheap stand-in for the perceptual measure, to rank thousands of ink sets
// before the real dither judges the best few.
//
// The blurred source's colours (what the measure compares against) are
// gathered into bins of 16 levels a channel, each bin its pixels' mean colour
// in linear light and their count. A set's proxy error is the mean, over the
// pixels, of the OKLab distance x 100 from the pixel's bin colour to the
// nearest colour the set can show on average: for a mixing dither, a mix of
// two of its inks in linear light, in steps of 1/16 (one ink alone
// included); for the nearest-ink dither, one of its inks. A mix also costs
// the grain the blur leaves of it: its pixels, a share t of one ink and
// 1 - t of the other, spread by sqrt(t (1 - t)) times the inks' OKLab
// distance, and a Gaussian of sigma 1 keeps 1 / (2 sqrt(pi)) of
// uncorrelated noise; the two add as squares. The real judgement sees the
// patterns as they are.
class InkSetProxy {
  public:
    // mixes: whether the dither mixes inks (every dither but the nearest-ink
    // one). pairCost: what the dither charges a pair for its inks' squared
    // OKLab distance when it picks a pixel's pair (kPairContrastWeight for
    // the ordered dithers with more than two inks, 0 for those that pick the
    // nearest mix and for a single pair): then each
    // bin takes the mix the dither would pick, by its distance plus that
    // cost, and is charged that mix's error.
    InkSetProxy(const PerceptualReference& reference, bool mixes, double pairCost = 0);

    // The proxy error of the set of colour numbers (0..26, all different).
    double error(const std::vector<int>& numbers) const;
    // The proxy errors of the set with its colour at slot replaced by each
    // of replacements in turn (none of them in the set): each the same as
    // error() of that set, the part the sets share worked out once.
    std::vector<double> errorsOfSwaps(const std::vector<int>& numbers, std::size_t slot,
                                      const std::vector<int>& replacements) const;

    // The bins' colours and pixel counts, for a search to cluster.
    const std::vector<OkLab>& binColours() const { return mColour; }
    const std::vector<double>& binWeights() const { return mWeight; }

  private:
    // Each bin's mix so far as a set's colours are taken in: its distance
    // and, with a pair cost, what the dither ranks it by and the place of
    // the pair in the set's order (first i, then j, for colours i <= j at
    // places i, j), which settles equal ranks as taking them in order would.
    struct Nearest {
        std::vector<float> distance, picked;
        std::vector<int> place;
    };
    Nearest start() const;
    // Takes colours x and y (places i <= j of a set of count) into nearest.
    void take(Nearest& nearest, int x, int y, int place) const;
    double total(const Nearest& nearest) const;

    bool mMixes;
    std::vector<OkLab> mColour;
    std::vector<double> mWeight;
    // Per pair of colours (i <= j), the distance of every bin to the pair's
    // nearest mix; i == j is the colour alone.
    std::vector<std::vector<float>> mDistance;
    // With a pair cost, per pair the squared distance to the mix the dither
    // picks plus the cost: what the dither ranks the pairs by.
    double mPairCost;
    std::vector<std::vector<float>> mPick;
};

// OKLab of each of the 27 CPC colours at channel values 0, 127 and 254.
const std::vector<OkLab>& Cpc_Colours_Lab();
