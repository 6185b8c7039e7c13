#include "PlusInkChoice.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

#include "CpcPalette.h"
#include "DitherColour.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "PerceptualMeasure.h"
#include "SearchRun.h"
#include "SysUtils.h"

namespace {

// Lloyd rounds of the k-means start.
constexpr int kClusterRounds = 16;
// Bits of each adjusted channel level (0..765) a colour bin keeps.
constexpr int kBinBits = 5;
// Moves of one ink a refinement round judges: one level down and up in red,
// green, blue, and all three.
constexpr int kMovesPerInk = 8;
// A bin of n pixels weighs n to this power in the clustering: a large flat
// area (a black sky) would otherwise draw several inks to nearly one colour.
constexpr double kBinWeightPower = 0.5;
// Levels an ink moves by in the first rounds; halved each time no move
// improves, down to 1.
constexpr int kFirstMoveLevels = 4;
// The ordered dithers' judgements cost four times the others': they take
// one round for every this many pixels of the half-size copy beyond the
// first (a mode's whole screen: one round).
constexpr long long kOrderedRoundPixels = 8000;
// The most inks a mode may have for the rounds to move the CPC search's set
// as well as the clustering's (modes 1 and 2, not mode 0's 16).
constexpr int kMovedCpcInks = 4;
// How far one start's colours are pushed away from the picture's mean.
constexpr double kStartSpread = 0.2;
// The starts' counts of extreme colours held (while fewer than the inks to choose).
constexpr std::size_t kStartExtremes[] = {0, 2, 6};
// Share of the picture's pixels whose mean is its extreme colour along a direction.
constexpr double kExtremeShare = 0.003;
// The directions extreme colours are taken along, in OKLab (L, a, b).
constexpr OkLab kExtremeDirections[] = {{1, 0, 0},    {-1, 0, 0},    {0, 1, 0},      {0, -1, 0},    {0, 0, 1},
                                        {0, 0, -1},   {0, 0.7, 0.7}, {0, -0.7, 0.7}, {0, 0.7, -0.7}, {0, -0.7, -0.7}};

const Palette& plus() { return Palette_Of(TPalette::Plus); }

// OKLab of every CPC+ colour, by index.
const std::vector<OkLab>& plusLab() {
    static const std::vector<OkLab> table = [] {
        std::vector<OkLab> lab;
        for (int colour = 0; colour < plus().colourCount; ++colour) {
            const Ink ink = Palette_Ink(plus(), colour);
            lab.push_back(OkLab_From_Linear(Linear_From_Byte(ink.r), Linear_From_Byte(ink.g), Linear_From_Byte(ink.b)));
        }
        return lab;
    }();
    return table;
}

double distance(const OkLab& p, const OkLab& q) {
    const double dL = p.L - q.L, da = p.a - q.a, db = p.b - q.b;
    return dL * dL + da * da + db * db;
}

int levelOf(int colour, int channel) { return colour >> (8 - 4 * channel) & 15; }

// The picture's colours as the dither sees them, gathered into bins: each
// bin's mean colour in OKLab and its pixel count.
struct ColourBins {
    std::vector<OkLab> colour;
    std::vector<std::array<double, 3>> linear;
    std::vector<double> weight;
};

ColourBins binsOf(const TPicture& picture, const TPicture& map, int a, int b, int c) {
    const SliderLight light(a, b, c);
    constexpr int kSide = 1 << kBinBits;
    std::vector<double> sum(static_cast<std::size_t>(4 * kSide * kSide * kSide));
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* pixel = picture.GetScanline(y);
        const std::uint8_t* mapPixel = light.readsMap() ? map.GetScanline(y) : nullptr;
        for (int x = 0; x < picture.GetWidth(); ++x, pixel += 3) {
            const std::uint32_t key = light.key(pixel, mapPixel ? mapPixel + 3 * x : nullptr);
            const auto part = [&](int shift) { return static_cast<int>((key >> shift & 0x3FF) * kSide / 766); };
            const std::size_t bin = static_cast<std::size_t>((part(20) * kSide + part(10)) * kSide + part(0));
            const LinearColour linear = SliderLight::linear(key);
            sum[4 * bin] += 1;
            sum[4 * bin + 1] += linear.r;
            sum[4 * bin + 2] += linear.g;
            sum[4 * bin + 3] += linear.b;
        }
    }
    ColourBins bins;
    for (std::size_t bin = 0; 4 * bin < sum.size(); ++bin)
        if (const double n = sum[4 * bin]; n > 0) {
            bins.linear.push_back({sum[4 * bin + 1] / n, sum[4 * bin + 2] / n, sum[4 * bin + 3] / n});
            bins.colour.push_back(OkLab_From_Linear(bins.linear.back()[0], bins.linear.back()[1], bins.linear.back()[2]));
            bins.weight.push_back(std::pow(n, kBinWeightPower));
        }
    return bins;
}

// The index of the nearest centre to colour, and its squared distance.
std::pair<std::size_t, double> nearestOf(const std::vector<OkLab>& centres, const OkLab& colour) {
    std::size_t best = 0;
    double least = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < centres.size(); ++k)
        if (const double d = distance(colour, centres[k]); d < least)
            least = d, best = k;
    return {best, least};
}

// The k-means centres of the colours to choose, heaviest first, the taken
// colours fixed centres (Choose_Plus_Inks).
std::vector<OkLab> clusterCentres(const ColourBins& bins, const std::vector<int>& taken,
                                  const std::vector<OkLab>& extremes, int toChoose) {
    const std::vector<OkLab>& lab = plusLab();
    std::vector<OkLab> centres;
    for (const int colour : taken)
        centres.push_back(lab[static_cast<std::size_t>(colour)]);
    const std::size_t takenCount = centres.size();
    centres.insert(centres.end(), extremes.begin(), extremes.end());
    const std::size_t fixed = centres.size();
    for (int k = static_cast<int>(extremes.size()); k < toChoose; ++k) {
        std::size_t pick = 0;
        double most = -1;
        for (std::size_t i = 0; i < bins.colour.size(); ++i) {
            const double far = centres.empty() ? 1 : nearestOf(centres, bins.colour[i]).second;
            if (bins.weight[i] * far > most)
                most = bins.weight[i] * far, pick = i;
        }
        centres.push_back(bins.colour.empty() ? OkLab{} : bins.colour[pick]);
    }
    std::vector<double> clusterWeight(centres.size());
    for (int round = 0; round < kClusterRounds; ++round) {
        std::vector<OkLab> sum(centres.size());
        std::fill(clusterWeight.begin(), clusterWeight.end(), 0);
        for (std::size_t i = 0; i < bins.colour.size(); ++i) {
            const std::size_t k = nearestOf(centres, bins.colour[i]).first;
            const double w = bins.weight[i];
            sum[k].L += w * bins.linear[i][0];
            sum[k].a += w * bins.linear[i][1];
            sum[k].b += w * bins.linear[i][2];
            clusterWeight[k] += w;
        }
        // A cluster's colour is its mean in linear light: what a dither's
        // mix of its pixels shows.
        for (std::size_t k = fixed; k < centres.size(); ++k)
            if (clusterWeight[k] > 0)
                centres[k] = OkLab_From_Linear(sum[k].L / clusterWeight[k], sum[k].a / clusterWeight[k],
                                               sum[k].b / clusterWeight[k]);
    }
    std::vector<std::size_t> order;
    for (std::size_t k = takenCount; k < centres.size(); ++k)
        order.push_back(k);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return clusterWeight[x] > clusterWeight[y]; });
    std::vector<OkLab> free;
    for (const std::size_t k : order)
        free.push_back(centres[k]);
    return free;
}

// The picture's colours furthest along each direction (L, a, b
// components) from its mean: the mean of the furthest kExtremeShare of its
// pixels, so that a few stray pixels do not take an ink.
std::vector<OkLab> extremesOf(const ColourBins& bins, const OkLab& mean, const std::vector<OkLab>& directions) {
    double total = 0;
    for (const double w : bins.weight)
        total += w;
    std::vector<OkLab> extremes;
    std::vector<std::size_t> order(bins.colour.size());
    for (const OkLab& d : directions) {
        const auto along = [&](std::size_t i) {
            const OkLab& c = bins.colour[i];
            return (c.L - mean.L) * d.L + (c.a - mean.a) * d.a + (c.b - mean.b) * d.b;
        };
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return along(x) > along(y); });
        OkLab sum;
        double weight = 0;
        for (const std::size_t i : order) {
            if (weight >= kExtremeShare * total)
                break;
            sum.L += bins.weight[i] * bins.colour[i].L;
            sum.a += bins.weight[i] * bins.colour[i].a;
            sum.b += bins.weight[i] * bins.colour[i].b;
            weight += bins.weight[i];
        }
        if (weight > 0)
            extremes.push_back({sum.L / weight, sum.a / weight, sum.b / weight});
    }
    return extremes;
}

// The picture's mean colour in OKLab.
OkLab meanOf(const ColourBins& bins) {
    OkLab mean;
    double total = 0;
    for (std::size_t i = 0; i < bins.colour.size(); ++i) {
        mean.L += bins.weight[i] * bins.colour[i].L;
        mean.a += bins.weight[i] * bins.colour[i].a;
        mean.b += bins.weight[i] * bins.colour[i].b;
        total += bins.weight[i];
    }
    return total > 0 ? OkLab{mean.L / total, mean.a / total, mean.b / total} : mean;
}

// The centres pushed away from the picture's mean by spread times their
// distance from it (a diffusion reaches no colour outside its inks' hull, and
// cluster means lie inside the picture's), each snapped in turn to its
// nearest CPC+ colour not yet taken.
std::vector<int> snapped(const std::vector<OkLab>& centres, const OkLab& mean, double spread,
                         const std::vector<int>& taken) {
    const std::vector<OkLab>& lab = plusLab();
    std::vector<bool> used(lab.size());
    for (const int colour : taken)
        used[static_cast<std::size_t>(colour)] = true;
    std::vector<int> chosen;
    for (const OkLab& centre : centres) {
        const OkLab target{centre.L + spread * (centre.L - mean.L), centre.a + spread * (centre.a - mean.a),
                           centre.b + spread * (centre.b - mean.b)};
        int best = -1;
        double least = std::numeric_limits<double>::infinity();
        for (std::size_t colour = 0; colour < lab.size(); ++colour)
            if (!used[colour])
                if (const double d = distance(target, lab[colour]); d < least)
                    least = d, best = static_cast<int>(colour);
        used[static_cast<std::size_t>(best)] = true;
        chosen.push_back(best);
    }
    return chosen;
}

// The nearest CPC+ colours of the picture's pixels, in order of first
// appearance; nullopt past limit of them.
std::optional<std::vector<int>> plusColoursOf(const TPicture& picture, std::size_t limit) {
    std::vector<int> colours;
    std::vector<bool> seen(static_cast<std::size_t>(plus().colourCount));
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* pixel = picture.GetScanline(y);
        for (int x = 0; x < picture.GetWidth(); ++x, pixel += 3) {
            const int colour = Nearest_Palette_Colour(plus(), {pixel[2], pixel[1], pixel[0]});
            if (seen[static_cast<std::size_t>(colour)])
                continue;
            if (colours.size() == limit)
                return std::nullopt;
            seen[static_cast<std::size_t>(colour)] = true;
            colours.push_back(colour);
        }
    }
    return colours;
}

// The search's state: the picture judged, its measure and the kept inks;
// and the same at half the size each way, for the rounds that move inks.
class PlusSearch {
  public:
    PlusSearch(TPicture& source, const TPicture& map, const std::vector<int>& kept, TDither dither,
               const ScreenMode& mode, int a, int b, int c, const Ink_Search_Control& control)
        : mDither(dither), mMode(mode), mA(a), mB(b), mC(c), mControl(control), mKept(kept),
          mJudged(reduced(source, mReduced, mReducedMap, mode)),
          mJudgedMap(&mJudged == &source ? map : mReducedMap), mReference(mJudged),
          mCoarse(reduced(mJudged, mHalf, mHalfMap, halved(mode))),
          mCoarseMap(&mCoarse == &mJudged ? mJudgedMap : mHalfMap), mCoarseReference(mCoarse) {}

    TPicture& judged() { return mJudged; }
    long long coarsePixels() const { return static_cast<long long>(mCoarse.GetWidth()) * mCoarse.GetHeight(); }
    const TPicture& judgedMap() const { return mJudgedMap; }

    // The chosen colours placed darkest first (by level, equal levels by
    // index) at the inks not kept.
    std::vector<int> placed(std::vector<int> chosen) const {
        std::stable_sort(chosen.begin(), chosen.end(), [](int x, int y) {
            const int lx = Ink_Level(Palette_Ink(plus(), x)), ly = Ink_Level(Palette_Ink(plus(), y));
            return lx != ly ? lx < ly : x < y;
        });
        std::vector<int> colours = mKept;
        std::size_t next = 0;
        for (int& colour : colours)
            if (colour == kChooseInk && next < chosen.size())
                colour = chosen[next++];
        return colours;
    }

    // The measure of the chosen colours' result, on the judged picture or
    // its half-size copy.
    PerceptualScore judge(const std::vector<int>& chosen, bool coarse = false) const {
        TPicture result;
        TPicture& picture = coarse ? mCoarse : mJudged;
        Mode_Dither(mDither, picture, result, coarse ? mCoarseMap : mJudgedMap, Palette_Inks(plus(), placed(chosen)),
                    mA, mB, mC, mMode);
        return (coarse ? mCoarseReference : mReference).score(result);
    }

    // Judges every set; empty when cancelled.
    std::vector<PerceptualScore> judgeAll(const std::vector<std::vector<int>>& sets, bool coarse = false) {
        std::vector<PerceptualScore> scores(sets.size());
        if (!Run_Search_Parallel(
                static_cast<int>(sets.size()), coarse ? 1 : kFullWeight, mControl, mDone, mTotal,
                [&](int i) { scores[static_cast<std::size_t>(i)] = judge(sets[static_cast<std::size_t>(i)], coarse); },
                1))
            return {};
        return scores;
    }

    // The CPC search's own choice for the free inks (Choose_Mode_Inks, the
    // kept inks as their nearest CPC colours), each snapped to its nearest
    // free CPC+ colour; empty when cancelled. Any 27-colour set is one the
    // CPC+ can show, so the CPC+ choice should never be worse than it.
    std::optional<std::vector<int>> cpcChoice(const std::vector<int>& taken) {
        const Palette& cpc = Palette_Of(TPalette::Cpc);
        std::vector<int> cpcKept = mKept;
        for (int& colour : cpcKept)
            if (colour != kChooseInk)
                colour = Nearest_Palette_Colour(cpc, Palette_Ink(plus(), colour));
        Ink_Search_Control quiet = mControl;
        quiet.measureChoice = false;
        // Its progress fills the first kFullWeight units of this search's.
        quiet.progress = nullptr;
        if (mControl.progress)
            quiet.progress = [this](int done, int total) {
                mControl.progress(kFullWeight * done / std::max(1, total), mTotal);
            };
        const Mode_Ink_Choice choice =
            Choose_Mode_Inks(mJudged, mJudgedMap, cpcKept, mDither, mMode, mA, mB, mC, quiet);
        if (choice.cancelled)
            return std::nullopt;
        mDone += kFullWeight;
        std::vector<int> chosen;
        for (std::size_t k = 0; k < mKept.size(); ++k)
            if (mKept[k] == kChooseInk)
                chosen.push_back(Nearest_Palette_Colour(plus(), Palette_Ink(cpc, choice.numbers[k])));
        // A kept ink may already be such a colour: it gives way to the
        // nearest colour in use by no ink.
        std::vector<int> used = taken;
        used.insert(used.end(), chosen.begin(), chosen.end());
        for (int& colour : chosen)
            if (std::count(taken.begin(), taken.end(), colour)) {
                colour = snapped({plusLab()[static_cast<std::size_t>(colour)]}, OkLab{}, 0, used)[0];
                used.push_back(colour);
            }
        return chosen;
    }

    void setTotal(int total) { mTotal = total; }
    int total() const { return mTotal; }
    void finish() {
        if (mControl.progress)
            mControl.progress(mTotal, mTotal);
    }

    // Progress units of a judgement on the judged picture, against one on its
    // half-size copy.
    static constexpr int kFullWeight = 4;

  private:
    static ScreenMode halved(ScreenMode mode) {
        mode.width = std::max(1, mode.width / 2);
        mode.height = std::max(1, mode.height / 2);
        return mode;
    }
    // The picture itself, or its copy stretched to the screen when it is more
    // than twice as large (with its own map when the local term reads one).
    TPicture& reduced(TPicture& picture, TPicture& copy, TPicture& copyMap, const ScreenMode& screen) const {
        const long long pixels = static_cast<long long>(picture.GetWidth()) * picture.GetHeight();
        if (pixels <= 2LL * screen.width * screen.height)
            return picture;
        Fit_To_Screen(picture, copy, TFitMode::Stretch, screen);
        if (mC != 0)
            Local_Contrast_Map(copy, copyMap);
        return copy;
    }

    TDither mDither;
    const ScreenMode& mMode;
    int mA, mB, mC;
    const Ink_Search_Control& mControl;
    std::vector<int> mKept;
    TPicture mReduced, mReducedMap, mHalf, mHalfMap;
    TPicture& mJudged;
    const TPicture& mJudgedMap;
    PerceptualReference mReference;
    TPicture& mCoarse;
    const TPicture& mCoarseMap;
    PerceptualReference mCoarseReference;
    std::atomic<int> mDone{0};
    int mTotal = 1;
};

// Colour with level step added to each channel whose bit is set in
// channels (1 red, 2 green, 4 blue); -1 past either end.
int moved(int colour, int channels, int step) {
    int result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        int level = levelOf(colour, channel);
        if (channels & 1 << channel)
            level += step;
        if (level < 0 || level > 15)
            return -1;
        result |= level << (8 - 4 * channel);
    }
    return result;
}

// Every move of one chosen colour by levels (index i of the set) that keeps
// the set's colours different from each other and from the kept ones.
std::vector<std::vector<int>> movesOf(const std::vector<int>& chosen, const std::vector<int>& kept, int levels,
                                      std::vector<std::size_t>& movedInk) {
    static constexpr int kChannels[4] = {1, 2, 4, 7};
    std::vector<std::vector<int>> sets;
    movedInk.clear();
    for (std::size_t i = 0; i < chosen.size(); ++i)
        for (const int channels : kChannels)
            for (const int step : {-levels, levels}) {
                const int colour = moved(chosen[i], channels, step);
                if (colour < 0 || std::count(chosen.begin(), chosen.end(), colour) ||
                    std::count(kept.begin(), kept.end(), colour))
                    continue;
                sets.push_back(chosen);
                sets.back()[i] = colour;
                movedInk.push_back(i);
            }
    return sets;
}

// The set moved from start by the rounds that move inks, judged on the
// half-size copy (Choose_Plus_Inks); nullopt when cancelled.
std::optional<std::vector<int>> refined(PlusSearch& search, std::vector<int> current,
                                        const std::vector<int>& keptColours, int rounds) {
    const std::size_t toChoose = current.size();
    std::vector<PerceptualScore> now = search.judgeAll({current}, true);
    if (now.empty())
        return std::nullopt;
    PerceptualScore best = now[0];
    int levels = kFirstMoveLevels;
    for (int round = 0; round < rounds && toChoose > 0; ++round) {
        std::vector<std::size_t> movedInk;
        const std::vector<std::vector<int>> sets = movesOf(current, keptColours, levels, movedInk);
        const std::vector<PerceptualScore> scores = search.judgeAll(sets, true);
        if (scores.size() != sets.size())
            return std::nullopt;
        // Each ink's best improving move, and the best move of all (the
        // first of equal ones).
        std::vector<int> bestOfInk(toChoose, -1);
        int bestMove = -1;
        for (std::size_t s = 0; s < sets.size(); ++s) {
            if (scores[s].rank() >= best.rank())
                continue;
            int& ofInk = bestOfInk[movedInk[s]];
            if (ofInk < 0 || scores[s].rank() < scores[static_cast<std::size_t>(ofInk)].rank())
                ofInk = static_cast<int>(s);
            if (bestMove < 0 || scores[s].rank() < scores[static_cast<std::size_t>(bestMove)].rank())
                bestMove = static_cast<int>(s);
        }
        if (bestMove < 0 && levels == 1)
            break;
        if (bestMove < 0) {
            levels /= 2;
            continue;
        }
        current = sets[static_cast<std::size_t>(bestMove)];
        best = scores[static_cast<std::size_t>(bestMove)];
        // Every ink's best move together, where their colours stay apart.
        std::vector<int> together = current;
        int movedCount = 0;
        for (std::size_t i = 0; i < toChoose; ++i)
            if (bestOfInk[i] >= 0) {
                together[i] = sets[static_cast<std::size_t>(bestOfInk[i])][i];
                ++movedCount;
            }
        std::vector<int> sorted = together;
        std::sort(sorted.begin(), sorted.end());
        if (movedCount > 1 && std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
            const std::vector<PerceptualScore> joint = search.judgeAll({together}, true);
            if (joint.empty())
                return std::nullopt;
            if (joint[0].rank() < best.rank()) {
                current = together;
                best = joint[0];
            }
        }
    }
    return current;
}

} // namespace

Mode_Ink_Choice Choose_Plus_Inks(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                                 TDither dither, const ScreenMode& mode, int a, int b, int c,
                                 const Ink_Search_Control& control) {
    if (kept.size() != static_cast<std::size_t>(mode.inkCount))
        throw Exception("Mode " + IntToStr(mode.number) + " has " + IntToStr(mode.inkCount) + " inks, not " +
                        IntToStr(static_cast<int>(kept.size())));
    std::vector<int> keptColours;
    for (const int colour : kept)
        if (colour != kChooseInk) {
            Palette_Ink(plus(), colour); // checks the index
            keptColours.push_back(colour);
        }
    const auto toChoose = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), kChooseInk));
    source.SetPixelFormat(TPixelFormat::pf24bit);
    PlusSearch search(source, map, kept, dither, mode, a, b, c, control);
    Mode_Ink_Choice choice;

    // A picture in few enough CPC+ colours keeps them.
    if (std::optional<std::vector<int>> own = plusColoursOf(source, static_cast<std::size_t>(mode.inkCount))) {
        std::erase_if(*own, [&](int colour) { return std::count(keptColours.begin(), keptColours.end(), colour) > 0; });
        if (own->size() <= toChoose) {
            std::vector<int> chosen = *own;
            for (int colour = 0; chosen.size() < toChoose; ++colour)
                if (!std::count(chosen.begin(), chosen.end(), colour) &&
                    !std::count(keptColours.begin(), keptColours.end(), colour))
                    chosen.push_back(colour);
            choice.numbers = search.placed(chosen);
            if (control.measureChoice)
                choice.error = search.judge(chosen).error;
            search.finish();
            return choice;
        }
    }

    // The starts: k-means alone, pushed out, and with the picture's extreme
    // colours held, each judged on the picture.
    const ColourBins bins = binsOf(search.judged(), search.judgedMap(), a, b, c);
    const OkLab mean = meanOf(bins);
    std::vector<std::vector<int>> starts;
    for (const std::size_t extremes : kStartExtremes) {
        if (extremes > 0 && extremes >= toChoose)
            break;
        const std::vector<OkLab> directions(kExtremeDirections, kExtremeDirections + extremes);
        const std::vector<OkLab> centres =
            clusterCentres(bins, keptColours, extremesOf(bins, mean, directions), static_cast<int>(toChoose));
        starts.push_back(snapped(centres, mean, 0, keptColours));
        if (extremes == 0)
            starts.push_back(snapped(centres, mean, kStartSpread, keptColours));
    }
    // And one more cluster than inks, the lightest left out: where two
    // colours share an ink's cluster, one of them may be worth more alone
    // than their mean.
    std::vector<OkLab> more = clusterCentres(bins, keptColours, {}, static_cast<int>(toChoose) + 1);
    more.pop_back();
    starts.push_back(snapped(more, mean, 0, keptColours));
    const bool ordered =
        dither == TDither::Ordered2 || dither == TDither::Ordered4 || dither == TDither::Ordered8;
    const long long coarsePixels = search.coarsePixels();
    const int rounds = ordered ? static_cast<int>(std::clamp(kOrderedRoundPixels / std::max(1LL, coarsePixels), 1LL,
                                                             static_cast<long long>(kPlusRefineRounds)))
                               : kPlusRefineRounds;
    const int movesPerRound = static_cast<int>(toChoose) * kMovesPerInk + 2;
    search.setTotal(PlusSearch::kFullWeight * (static_cast<int>(starts.size()) + 3) +
                    rounds * movesPerRound);
    // And the CPC search's own choice, snapped.
    const std::optional<std::vector<int>> cpc = search.cpcChoice(keptColours);
    if (!cpc) {
        choice.cancelled = true;
        return choice;
    }
    starts.push_back(*cpc);
    const std::vector<PerceptualScore> start = search.judgeAll(starts);
    if (start.empty()) {
        choice.cancelled = true;
        return choice;
    }
    // The rounds move the best start of the clustering, and the CPC set
    // where it is better still and the mode has few inks. Moving only the
    // better of the two lost much (astronaut, mode 0 diffusion: a blurred
    // error of 1.38 from the CPC set against 1.23); moving both in mode 0
    // doubled the time (1.1 s to 2.0 s), so there the CPC set is only judged.
    const std::size_t cpcStart = starts.size() - 1;
    std::size_t first = 0;
    for (std::size_t k = 1; k < cpcStart; ++k)
        if (start[k].rank() < start[first].rank())
            first = k;
    std::vector<std::size_t> refinedStarts = {first};
    if (start[cpcStart].rank() < start[first].rank()) {
        if (mode.inkCount <= kMovedCpcInks) {
            refinedStarts.push_back(cpcStart);
            search.setTotal(search.total() + PlusSearch::kFullWeight + rounds * movesPerRound);
        }
        first = cpcStart;
    }
    std::vector<std::vector<int>> movedSets;
    for (const std::size_t k : refinedStarts) {
        const std::optional<std::vector<int>> set = refined(search, starts[k], keptColours, rounds);
        if (!set) {
            choice.cancelled = true;
            return choice;
        }
        movedSets.push_back(*set);
    }
    // A moved set wins where the picture itself agrees.
    const std::vector<PerceptualScore> last = search.judgeAll(movedSets);
    if (last.empty()) {
        choice.cancelled = true;
        return choice;
    }
    choice.numbers = search.placed(starts[first]);
    choice.error = start[first].error;
    double bestRank = start[first].rank();
    for (std::size_t k = 0; k < movedSets.size(); ++k)
        if (last[k].rank() < bestRank) {
            bestRank = last[k].rank();
            choice.numbers = search.placed(movedSets[k]);
            choice.error = last[k].error;
        }
    search.finish();
    return choice;
}
