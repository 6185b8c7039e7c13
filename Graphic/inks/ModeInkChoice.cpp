#include "ModeInkChoice.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <set>

#include "CpcLevels.h"
#include "DitherColour.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "InkSetProxy.h"
#include "OrderedSubsets.h"
#include "PerceptualMeasure.h"
#include "PairJudge.h"
#include "PlainColours.h"
#include "SearchRun.h"
#include "SysUtils.h"

namespace {

// Swaps the real dither judges in each round of the swap search.
constexpr int kJudgedSwaps = 8;
// Bounds on the swap search's rounds; each round must improve to go on.
constexpr int kMaxProxyRounds = 64;
constexpr int kMaxJudgedRounds = 4;
constexpr int kClusterRounds = 12;
// Progress units of one judgement, against one proxy error.
constexpr int kJudgementWeight = 100;
// The best mixes each source colour keeps for the ordered dithers' judge
// when sets hold most of the palette (OrderedSubsets.h).
constexpr int kRankedMixes = 16;
// The picture's colours as colour numbers when every pixel is a CPC colour
// and there are at most limit of them; nothing otherwise.
std::optional<std::set<int>> exactColours(const TPicture& source, std::size_t limit) {
    const std::optional<std::vector<int>> numbers = Cpc_Colours_Of(source, limit);
    if (!numbers)
        return std::nullopt;
    return std::set<int>(numbers->begin(), numbers->end());
}

// Every way to choose count of the first n indices, in lexicographic order,
// count indices a row.
std::vector<int> combinations(int n, int count) {
    std::vector<int> all;
    if (count > n)
        return all;
    std::vector<int> pick(static_cast<std::size_t>(count));
    std::iota(pick.begin(), pick.end(), 0);
    for (;;) {
        all.insert(all.end(), pick.begin(), pick.end());
        int i = count;
        while (i > 0 && pick[static_cast<std::size_t>(i - 1)] == n - count + i - 1)
            --i;
        if (i == 0)
            return all;
        ++pick[static_cast<std::size_t>(i - 1)];
        for (int j = i; j < count; ++j)
            pick[static_cast<std::size_t>(j)] = pick[static_cast<std::size_t>(j - 1)] + 1;
    }
}

// The number of ways to choose count of n (n <= 27: at most 20,058,300).
long long setCount(int n, int count) {
    const int k = std::min(count, n - count);
    long long ways = 1;
    for (int i = 0; i < k; ++i)
        ways = ways * (n - i) / (i + 1);
    return k < 0 ? 0 : ways;
}

// The dithers that pick each pixel's pair of inks by MixTable.
bool ordered(TDither dither) {
    return dither == TDither::Ordered2 || dither == TDither::Ordered4 || dither == TDither::Ordered8;
}

// Indices 0..values.size()-1 ordered by value, equal values by index.
std::vector<int> ranking(const std::vector<double>& values) {
    std::vector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return values[static_cast<std::size_t>(x)] < values[static_cast<std::size_t>(y)];
    });
    return order;
}

// What the search ranks judged sets by.
std::vector<double> ranks(const std::vector<PerceptualScore>& scores) {
    std::vector<double> values;
    for (const PerceptualScore& score : scores)
        values.push_back(score.rank());
    return values;
}

// One choice in progress: the picture it judges on, the kept inks, the
// colours free to choose, the measure and the proxy.
class InkSearch {
  public:
    InkSearch(TPicture& source, const TPicture& map, const std::vector<int>& kept, TDither dither,
              const ScreenMode& mode, int a, int b, int c, const Ink_Search_Control& control)
        : mDither(dither), mMode(mode), mA(a), mB(b), mC(c), mControl(control), mKept(kept),
          mJudged(judgedPicture(source)), mJudgedMap(&mJudged == &source ? map : mReducedMap),
          mReference(mJudged) {
        for (int number : kept)
            if (number != kChooseInk)
                mKeptNumbers.push_back(number);
        for (int n = 0; n < kColourCount; ++n)
            if (std::find(kept.begin(), kept.end(), n) == kept.end())
                mFree.push_back(n);
        mToChoose = static_cast<int>(std::count(kept.begin(), kept.end(), kChooseInk));
        prepareOrdered();
        mPrepared = Prepare_Mode_Dither(mDither, mJudged, mJudgedMap, mA, mB, mC);
    }

    int toChoose() const { return mToChoose; }
    const std::vector<int>& free() const { return mFree; }

    // The inks of chosen colours beside the kept ones, chosen placed darkest first.
    std::vector<int> placed(const std::vector<int>& chosen) const {
        return Place_Chosen_Inks(mKept, chosen);
    }

    // The measure of the result of the dither with the inks of numbers.
    PerceptualScore judge(const std::vector<int>& numbers) const {
        TPicture result;
        if (mOrdered) {
            // Every colour chosen: a set's inks stand in palette order.
            std::vector<int> members;
            for (int n : numbers)
                members.push_back(mPlaceOf[static_cast<std::size_t>(n)]);
            if (std::is_sorted(members.begin(), members.end())) {
                mOrdered->render(members, result);
                return mReference.score(result);
            }
        }
        // Threads share the judged picture: it is 24-bit already, so the
        // dither only reads it.
        Mode_Dither(mDither, mJudged, result, mJudgedMap, Ink_List_Of_Numbers(numbers), mA, mB, mC,
                    mMode, mPrepared);
        return mReference.score(result);
    }

    // Judges sets of two chosen colours in the order given, every one by the
    // dither in use, giving up each whose score is sure to rank below the
    // best so far (PairJudge.h); empty when cancelled. Which sets are given
    // up depends on the threads' timing, but never the best: a set is given
    // up only when its rank is sure to exceed one already reached.
    std::vector<std::optional<PerceptualScore>> judgePairs(const std::vector<std::vector<int>>& sets) {
        const PairJudge pairs(mReference);
        std::vector<std::optional<PerceptualScore>> scores(sets.size());
        std::atomic<double> best{std::numeric_limits<double>::infinity()};
        if (!run(
                static_cast<int>(sets.size()), kJudgementWeight,
                [&](int i) {
                    const InkList inks =
                        Ink_List_Of_Numbers(placed(sets[static_cast<std::size_t>(i)]));
                    TPicture result;
                    const std::unique_ptr<TDitherRun> dither = Start_Mode_Dither(
                        mDither, mJudged, result, mJudgedMap, inks, mA, mB, mC, mMode, mPrepared);
                    std::optional<PerceptualScore> score = pairs.score(
                        *dither, mJudged, mJudgedMap, result, inks[0], inks[1], best.load());
                    if (score) {
                        double seen = best.load();
                        while (score->rank() < seen && !best.compare_exchange_weak(seen, score->rank())) {
                        }
                    }
                    scores[static_cast<std::size_t>(i)] = score;
                },
                1))
            return {};
        return scores;
    }

    // Builds the proxy, before anything ranks by it (on the caller's thread).
    void prepareProxy() {
        if (!mProxy)
            mProxy.emplace(mReference, mDither != TDither::None,
                           ordered(mDither) && mMode.inkCount > 2 ? kPairContrastWeight : 0.0);
    }

    double proxy(const std::vector<int>& chosen) const {
        std::vector<int> numbers = mKeptNumbers;
        numbers.insert(numbers.end(), chosen.begin(), chosen.end());
        return mProxy->error(numbers);
    }
    // The proxies of chosen with its colour at slot replaced by each of
    // replacements in turn.
    std::vector<double> proxySwaps(const std::vector<int>& chosen, std::size_t slot,
                                   const std::vector<int>& replacements) const {
        std::vector<int> numbers = mKeptNumbers;
        numbers.insert(numbers.end(), chosen.begin(), chosen.end());
        return mProxy->errorsOfSwaps(numbers, mKeptNumbers.size() + slot, replacements);
    }

    // Runs work over count indices as the control asks; false when cancelled.
    bool run(int count, int weight, const std::function<void(int)>& work, int chunk) {
        return Run_Search_Parallel(count, weight, mControl, mDone, mTotal, work, chunk);
    }
    void setTotal(int total) { mTotal = total; }
    void finish() {
        if (mControl.progress)
            mControl.progress(mTotal, mTotal);
    }

    // Judges the sets of chosen colours at once; empty when cancelled.
    std::vector<PerceptualScore> judgeAll(const std::vector<std::vector<int>>& sets) {
        std::vector<PerceptualScore> scores(sets.size());
        if (!run(
                static_cast<int>(sets.size()), kJudgementWeight,
                [&](int i) {
                    scores[static_cast<std::size_t>(i)] =
                        judge(placed(sets[static_cast<std::size_t>(i)]));
                },
                1))
            return {};
        return scores;
    }

    // The colours k-means over the proxy's bins settles on, kept inks as
    // fixed centres, snapped to free CPC colours.
    std::vector<int> clusterStart() const;

    // The chosen colours of a placed set: those at the inks not kept.
    std::vector<int> chosenOf(const std::vector<int>& numbers) const {
        std::vector<int> chosen;
        for (std::size_t k = 0; k < mKept.size(); ++k)
            if (mKept[k] == kChooseInk)
                chosen.push_back(numbers[k]);
        return chosen;
    }

    // The colours the classic dither's search chooses: the exact search in
    // mode 1, the search of this file in mode 0; nothing in mode 2, where
    // the classic dither's search judges every pair (0.4 s) and the other
    // dithers' searches judge every pair themselves, or when cancelled.
    std::optional<std::vector<int>> classicChoice() const {
        Ink_Search_Control quiet = mControl;
        quiet.progress = nullptr;
        quiet.measureChoice = false;
        if (mMode.number != kDefaultScreenMode) {
            if (mMode.inkCount <= 2)
                return std::nullopt;
            // The swap search alone: the candidates it would be held to
            // are judged here by the dither in use.
            const Mode_Ink_Choice classic = Choose_Mode_Inks(mJudged, mJudgedMap, mKept, TDither::Classic,
                                                             mMode, mA, mB, mC, quiet, Ink_Search_Way::Swaps);
            if (classic.cancelled)
                return std::nullopt;
            return chosenOf(classic.numbers);
        }
        InkNumbers kept;
        std::copy(mKept.begin(), mKept.end(), kept.begin());
        const Ink_Choice exact =
            Choose_Inks(Ink_Search_Cells_Of(mJudged, mJudgedMap, mA, mB, mC), kept, quiet);
        return chosenOf(std::vector<int>(exact.numbers.begin(), exact.numbers.end()));
    }

    // The colours the diffusion's search chooses on a copy of the judged
    // picture half its size each way (where the picture is more than twice
    // the size of a screen so halved); nothing for a mode of two inks, where
    // every pair is judged, or when cancelled. The diffusion's judgements
    // cost several times the ordered dithers', and the half-size copy keeps
    // its search to about a quarter of its own time.
    std::optional<std::vector<int>> diffusionChoice() const;

    // The plain colours the picture has areas of (the proxy's bins).
    std::vector<int> plainColours() const {
        return Plain_Colours_Shown(mProxy->binColours(), mProxy->binWeights());
    }
    bool greyPicture() const { return Is_Grey_Picture(mProxy->binColours(), mProxy->binWeights()); }

    void addTotal(int more) { mTotal += more; }

    // The pixels a judgement dithers, counted at most as the mode's screen:
    // a picture up to twice its size is judged as it is.
    long long judgedPixels() const {
        return std::min(static_cast<long long>(mJudged.GetWidth()) * mJudged.GetHeight(),
                        static_cast<long long>(mMode.width) * mMode.height);
    }

  private:
    // The ordered dithers' judge of many sets, where every ink is chosen
    // (so that a set's inks stand in one order, darkest first) and sets are
    // more than a pair; the pair search of mode 2 judges its own way.
    void prepareOrdered() {
        if (!ordered(mDither) || !mKeptNumbers.empty() || mMode.inkCount <= 2)
            return;
        std::vector<int> all(kColourCount);
        std::iota(all.begin(), all.end(), 0);
        const std::vector<int> order = Place_Chosen_Inks(std::vector<int>(all.size(), kChooseInk), all);
        mPlaceOf.resize(all.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            mPlaceOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        const int size = mDither == TDither::Ordered2 ? 2 : mDither == TDither::Ordered4 ? 4 : 8;
        // Ranked mixes pay where a set holds most of the palette (mode 0's
        // 16 of 27 colours): its mix for a key is then nearly always among
        // the key's first few.
        const int ranked = 2 * mMode.inkCount >= kColourCount ? kRankedMixes : 0;
        mOrdered.emplace(mJudged, mJudgedMap, Ink_List_Of_Numbers(order), mA, mB, mC, size,
                         Shows_Cpc_Levels(mJudged) ? TLevelReading::Cpc : TLevelReading::Bytes, ranked);
    }

    // The source itself, or its copy stretched to the screen when it is
    // more than twice as large.
    TPicture& judgedPicture(TPicture& source) {
        source.SetPixelFormat(TPixelFormat::pf24bit);
        const long long pixels = static_cast<long long>(source.GetWidth()) * source.GetHeight();
        if (pixels <= 2LL * mMode.width * mMode.height)
            return source;
        Fit_To_Screen(source, mReduced, TFitMode::Stretch, mMode);
        if (mC != 0)
            Local_Contrast_Map(mReduced, mReducedMap);
        return mReduced;
    }

    TDither mDither;
    const ScreenMode& mMode;
    int mA, mB, mC;
    const Ink_Search_Control& mControl;
    std::vector<int> mKept, mKeptNumbers, mFree;
    int mToChoose = 0;
    TPicture mReduced, mReducedMap;
    TPicture& mJudged;
    const TPicture& mJudgedMap;
    PerceptualReference mReference;
    // What the dither reads of the judged picture alone, for every set.
    std::shared_ptr<const DiffusionEdges> mPrepared;
    // Each colour's place in the palette, darkest first, and the ordered
    // dithers' judge (prepareOrdered).
    std::vector<int> mPlaceOf;
    std::optional<OrderedSubsets> mOrdered;
    // Only the searches that rank sets build it: the exact search never does.
    std::optional<InkSetProxy> mProxy;
    std::atomic<int> mDone{0};
    int mTotal = 1;
};

std::vector<int> InkSearch::clusterStart() const {
    const std::vector<OkLab>& bins = mProxy->binColours();
    const std::vector<double>& weights = mProxy->binWeights();
    const std::vector<OkLab>& cpc = Cpc_Colours_Lab();
    std::vector<OkLab> centres;
    for (int number : mKeptNumbers)
        centres.push_back(cpc[static_cast<std::size_t>(number)]);
    const std::size_t fixed = centres.size();
    const auto nearestCentre = [&](const OkLab& colour) {
        std::size_t best = 0;
        double distance = std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < centres.size(); ++k)
            if (const double d = Cell_Distance(colour, centres[k]); d < distance)
                distance = d, best = k;
        return std::make_pair(best, distance);
    };
    // Seeds: each time the bin that adds most weight x squared distance to
    // its nearest centre (the heaviest bin first when nothing is fixed).
    for (int k = 0; k < mToChoose; ++k) {
        std::size_t pick = 0;
        double most = -1;
        for (std::size_t b = 0; b < bins.size(); ++b) {
            const double far = centres.empty() ? 1 : nearestCentre(bins[b]).second;
            if (weights[b] * far > most)
                most = weights[b] * far, pick = b;
        }
        centres.push_back(bins.empty() ? OkLab{} : bins[pick]);
    }
    std::vector<double> clusterWeight(centres.size());
    for (int round = 0; round < kClusterRounds; ++round) {
        std::vector<OkLab> sum(centres.size());
        std::fill(clusterWeight.begin(), clusterWeight.end(), 0);
        for (std::size_t b = 0; b < bins.size(); ++b) {
            const std::size_t k = nearestCentre(bins[b]).first;
            sum[k].L += weights[b] * bins[b].L;
            sum[k].a += weights[b] * bins[b].a;
            sum[k].b += weights[b] * bins[b].b;
            clusterWeight[k] += weights[b];
        }
        for (std::size_t k = fixed; k < centres.size(); ++k)
            if (clusterWeight[k] > 0)
                centres[k] = {sum[k].L / clusterWeight[k], sum[k].a / clusterWeight[k],
                              sum[k].b / clusterWeight[k]};
    }
    // The heaviest clusters snap first, each to its nearest colour not yet taken.
    std::vector<std::size_t> order(centres.size() - fixed);
    std::iota(order.begin(), order.end(), fixed);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return clusterWeight[x] > clusterWeight[y]; });
    std::vector<int> chosen;
    for (std::size_t k : order) {
        int best = -1;
        double distance = std::numeric_limits<double>::infinity();
        for (int n : mFree)
            if (std::find(chosen.begin(), chosen.end(), n) == chosen.end())
                if (const double d = Cell_Distance(centres[k], cpc[static_cast<std::size_t>(n)]);
                    d < distance)
                    distance = d, best = n;
        chosen.push_back(best);
    }
    return chosen;
}

Mode_Ink_Choice everySet(InkSearch& search, bool judgeEvery) {
    Mode_Ink_Choice choice;
    search.prepareProxy();
    const std::vector<int>& free = search.free();
    const int size = search.toChoose();
    const std::vector<int> picks = combinations(static_cast<int>(free.size()), size);
    const int count = size == 0 ? 1 : static_cast<int>(picks.size()) / size;
    const auto chosenOf = [&](int s) {
        std::vector<int> chosen;
        for (int i = 0; i < size; ++i)
            chosen.push_back(free[static_cast<std::size_t>(picks[static_cast<std::size_t>(s * size + i)])]);
        return chosen;
    };
    const int judged = judgeEvery ? count : std::min(count, kJudgedSets);
    // The sets come in runs that differ in their last colour alone: each
    // run's proxies share the work of the colours before it.
    std::vector<int> runStarts;
    for (int s = 0; s < count; ++s)
        if (s == 0 || (size > 1 && !std::equal(picks.begin() + static_cast<std::ptrdiff_t>(s * size),
                                               picks.begin() + static_cast<std::ptrdiff_t>(s * size + size - 1),
                                               picks.begin() + static_cast<std::ptrdiff_t>((s - 1) * size))))
            runStarts.push_back(s);
    runStarts.push_back(count);
    const int runs = static_cast<int>(runStarts.size()) - 1;
    search.setTotal(runs + judged * kJudgementWeight);
    std::vector<double> proxies(static_cast<std::size_t>(count));
    if (!search.run(
            runs, 1,
            [&](int r) {
                const int first = runStarts[static_cast<std::size_t>(r)],
                          last = runStarts[static_cast<std::size_t>(r + 1)];
                if (size == 0) {
                    proxies[0] = search.proxy({});
                    return;
                }
                std::vector<int> lasts;
                for (int s = first; s < last; ++s)
                    lasts.push_back(chosenOf(s).back());
                const std::vector<double> errors =
                    search.proxySwaps(chosenOf(first), static_cast<std::size_t>(size - 1), lasts);
                std::copy(errors.begin(), errors.end(), proxies.begin() + first);
            },
            1)) {
        choice.cancelled = true;
        return choice;
    }
    const std::vector<int> ranked = ranking(proxies);
    std::vector<std::vector<int>> best;
    for (int i = 0; i < judged; ++i)
        best.push_back(chosenOf(ranked[static_cast<std::size_t>(i)]));
    const std::vector<PerceptualScore> scores = search.judgeAll(best);
    if (scores.empty()) {
        choice.cancelled = true;
        return choice;
    }
    const std::size_t winner = static_cast<std::size_t>(ranking(ranks(scores))[0]);
    choice.numbers = search.placed(best[winner]);
    choice.error = scores[winner].error;
    return choice;
}

// Every pair of two free colours, judged by the dither in use, the pairs the
// proxy ranks best first so that the bound gives up the others early.
Mode_Ink_Choice everyPair(InkSearch& search) {
    Mode_Ink_Choice choice;
    search.prepareProxy();
    const std::vector<int>& free = search.free();
    std::vector<std::vector<int>> sets;
    for (std::size_t i = 0; i < free.size(); ++i)
        for (std::size_t j = i + 1; j < free.size(); ++j)
            sets.push_back({free[i], free[j]});
    const int count = static_cast<int>(sets.size());
    search.setTotal(count + count * kJudgementWeight);
    std::vector<double> proxies(sets.size());
    if (!search.run(
            count, 1, [&](int s) { proxies[static_cast<std::size_t>(s)] = search.proxy(sets[static_cast<std::size_t>(s)]); },
            32)) {
        choice.cancelled = true;
        return choice;
    }
    std::vector<std::vector<int>> ranked;
    for (int s : ranking(proxies))
        ranked.push_back(sets[static_cast<std::size_t>(s)]);
    const std::vector<std::optional<PerceptualScore>> scores = search.judgePairs(ranked);
    if (scores.empty()) {
        choice.cancelled = true;
        return choice;
    }
    std::size_t winner = 0;
    for (std::size_t k = 0; k < scores.size(); ++k)
        if (scores[k] && (!scores[winner] || scores[k]->rank() < scores[winner]->rank()))
            winner = k;
    // The error told is the measure's own, not the pair judge's rounding of it.
    choice.numbers = search.placed(ranked[winner]);
    choice.error = search.judge(choice.numbers).error;
    return choice;
}

Mode_Ink_Choice swaps(InkSearch& search) {
    Mode_Ink_Choice choice;
    search.prepareProxy();
    std::vector<int> current = search.clusterStart();
    const std::vector<int>& free = search.free();
    const std::size_t size = current.size();
    // Every swap of one chosen colour for an unused free one, in a fixed order.
    const auto swapsOf = [&](const std::vector<int>& chosen) {
        std::vector<std::vector<int>> sets;
        for (std::size_t i = 0; i < size; ++i)
            for (int n : free)
                if (std::find(chosen.begin(), chosen.end(), n) == chosen.end()) {
                    sets.push_back(chosen);
                    sets.back()[i] = n;
                }
        return sets;
    };
    const int swapCount = static_cast<int>(size * (free.size() - size));
    search.setTotal(kMaxProxyRounds * swapCount +
                    kMaxJudgedRounds * (swapCount + kJudgedSwaps * kJudgementWeight) +
                    (static_cast<int>(size) + 1) * kJudgementWeight);
    // The proxies of swapsOf(chosen), the swaps of each slot together.
    const std::size_t perSlot = free.size() - size;
    const auto proxiesOf = [&](const std::vector<int>& chosen, std::vector<double>& out) {
        out.assign(size * perSlot, 0);
        return search.run(
            static_cast<int>(size), static_cast<int>(perSlot),
            [&](int i) {
                std::vector<int> replacements;
                for (int n : free)
                    if (std::find(chosen.begin(), chosen.end(), n) == chosen.end())
                        replacements.push_back(n);
                const std::vector<double> errors =
                    search.proxySwaps(chosen, static_cast<std::size_t>(i), replacements);
                std::copy(errors.begin(), errors.end(),
                          out.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(i) * perSlot));
            },
            1);
    };
    double currentProxy = search.proxy(current);
    std::vector<double> proxies;
    for (int round = 0; round < kMaxProxyRounds && swapCount > 0; ++round) {
        const std::vector<std::vector<int>> sets = swapsOf(current);
        if (!proxiesOf(current, proxies)) {
            choice.cancelled = true;
            return choice;
        }
        const std::size_t best = static_cast<std::size_t>(ranking(proxies)[0]);
        if (proxies[best] >= currentProxy)
            break;
        current = sets[best];
        currentProxy = proxies[best];
    }
    const std::vector<PerceptualScore> start = search.judgeAll({current});
    if (start.empty()) {
        choice.cancelled = true;
        return choice;
    }
    PerceptualScore currentScore = start[0];
    for (int round = 0; round < kMaxJudgedRounds && swapCount > 0; ++round) {
        const std::vector<std::vector<int>> sets = swapsOf(current);
        if (!proxiesOf(current, proxies)) {
            choice.cancelled = true;
            return choice;
        }
        // The swaps the proxy likes best and, in the first round, the best
        // swap of each ink, so that every ink is tried once where the proxy
        // misjudges the dither.
        const std::vector<int> ranked = ranking(proxies);
        std::vector<bool> slotTried(size);
        std::vector<std::vector<int>> judged;
        for (std::size_t i = 0; i < ranked.size(); ++i) {
            const auto s = static_cast<std::size_t>(ranked[i]);
            if (i < static_cast<std::size_t>(kJudgedSwaps) || (round == 0 && !slotTried[s / perSlot]))
                judged.push_back(sets[s]);
            slotTried[s / perSlot] = true;
        }
        const std::vector<PerceptualScore> scores = search.judgeAll(judged);
        if (scores.empty()) {
            choice.cancelled = true;
            return choice;
        }
        const std::size_t best = static_cast<std::size_t>(ranking(ranks(scores))[0]);
        if (scores[best].rank() >= currentScore.rank())
            break;
        current = judged[best];
        currentScore = scores[best];
    }
    choice.numbers = search.placed(current);
    choice.error = currentScore.error;
    return choice;
}

// Every pair judged by the dither is every candidate there is: no other
// set needs judging beside the winner. Not for the dither without a
// pattern: its results' low SSIM keeps their ranks far above their
// errors, so the bound gives up few pairs (2.5 s against 0.55 s).
bool judgesEveryPair(const InkSearch& search, TDither dither, const ScreenMode& mode, Ink_Search_Way way) {
    return way == Ink_Search_Way::Automatic && mode.inkCount == 2 && search.toChoose() == 2 &&
           dither != TDither::None;
}

// The search's own choice, the way asks, before it is held to candidates.
Mode_Ink_Choice searched(InkSearch& search, TDither dither, const ScreenMode& mode, Ink_Search_Way way) {
    const long long sets = setCount(static_cast<int>(search.free().size()), search.toChoose());
    const bool enumerate = way == Ink_Search_Way::EverySet ||
                           (way == Ink_Search_Way::Automatic && sets <= kMaxEnumeratedSets);
    const long long screenPixels = static_cast<long long>(mode.width) * mode.height;
    if (judgesEveryPair(search, dither, mode, way))
        return everyPair(search);
    if (way == Ink_Search_Way::Automatic && enumerate &&
        sets * search.judgedPixels() <= kJudgeEverySetOf * screenPixels)
        return everySet(search, true);
    return enumerate ? everySet(search, false) : swaps(search);
}

std::optional<std::vector<int>> InkSearch::diffusionChoice() const {
    if (mMode.inkCount <= 2)
        return std::nullopt;
    Ink_Search_Control quiet = mControl;
    quiet.progress = nullptr;
    quiet.measureChoice = false;
    ScreenMode half = mMode;
    half.width = std::max(1, mMode.width / 2);
    half.height = std::max(1, mMode.height / 2);
    InkSearch diffusion(mJudged, mJudgedMap, mKept, TDither::Diffusion, half, mA, mB, mC, quiet);
    const Mode_Ink_Choice choice = searched(diffusion, TDither::Diffusion, half, Ink_Search_Way::Automatic);
    if (choice.cancelled)
        return std::nullopt;
    return chosenOf(choice.numbers);
}

// The set's colours in order, to tell sets apart whatever their order.
std::vector<int> sortedSet(std::vector<int> chosen) {
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

// The choice held to robust candidates (Choose_Mode_Inks): the search's own
// set, the k-means start and, in modes 0 and 1, the classic dither's set
// and, for the ordered dithers, the diffusion's are judged; then, one at a
// time, each plain colour the picture has areas of and the best so far
// lacks takes the place of whichever chosen ink loses least. Where white and black (and grey in a picture of greys), when
// shown, fit beside the kept inks the winner holds them; the best judged set
// wins among those that do.
Mode_Ink_Choice covered(InkSearch& search, const Mode_Ink_Choice& choice, TDither dither) {
    search.prepareProxy();
    std::vector<std::vector<int>> judged;
    std::vector<double> judgedRanks;
    std::vector<double> judgedErrors;
    // Judges the sets not judged yet; false when cancelled.
    const auto judgeNew = [&](const std::vector<std::vector<int>>& sets) {
        std::vector<std::vector<int>> fresh;
        for (const std::vector<int>& set : sets)
            if (std::none_of(judged.begin(), judged.end(),
                             [&](const std::vector<int>& d) { return sortedSet(d) == sortedSet(set); }) &&
                std::none_of(fresh.begin(), fresh.end(),
                             [&](const std::vector<int>& d) { return sortedSet(d) == sortedSet(set); }))
                fresh.push_back(set);
        search.addTotal(static_cast<int>(fresh.size()) * kJudgementWeight);
        const std::vector<PerceptualScore> scores = search.judgeAll(fresh);
        if (scores.size() != fresh.size())
            return false;
        for (std::size_t k = 0; k < fresh.size(); ++k) {
            judged.push_back(fresh[k]);
            judgedRanks.push_back(scores[k].rank());
            judgedErrors.push_back(scores[k].error);
        }
        return true;
    };
    // The best judged set holding every colour of need.
    const auto bestHolding = [&](const std::vector<int>& need) {
        int best = -1;
        for (std::size_t k = 0; k < judged.size(); ++k)
            if (std::all_of(need.begin(), need.end(),
                            [&](int n) { return std::count(judged[k].begin(), judged[k].end(), n) > 0; }) &&
                (best < 0 || judgedRanks[k] < judgedRanks[static_cast<std::size_t>(best)]))
                best = static_cast<int>(k);
        return best;
    };
    Mode_Ink_Choice result = choice;
    std::vector<std::vector<int>> starts = {search.chosenOf(choice.numbers), search.clusterStart()};
    if (dither != TDither::Classic)
        if (const std::optional<std::vector<int>> classic = search.classicChoice())
            starts.push_back(*classic);
    if (ordered(dither))
        if (const std::optional<std::vector<int>> diffusion = search.diffusionChoice())
            starts.push_back(*diffusion);
    if (!judgeNew(starts)) {
        result.cancelled = true;
        return result;
    }
    const std::vector<int>& free = search.free();
    // The extremes come first: a grey swapped in is then judged beside them.
    std::vector<int> offered, need;
    for (int plain : search.plainColours())
        if (std::count(free.begin(), free.end(), plain)) {
            offered.push_back(plain);
            if (Is_Extreme_Colour(plain) || search.greyPicture())
                need.push_back(plain);
        }
    // The plain colours held leave at least two inks for the picture's other
    // colours, the first of them kept (white, then black); in mode 2 the
    // measure alone decides, as one ink left for every other colour cost
    // more than the plain colour gained (coffee, ordered 4x4: a blurred
    // error of 13.2 with the white ink held, 7.5 without).
    const std::size_t room = static_cast<std::size_t>(std::max(0, search.toChoose() - 2));
    if (need.size() > room)
        need.resize(room);
    if (offered.size() >= static_cast<std::size_t>(search.toChoose()))
        offered.resize(static_cast<std::size_t>(std::max(0, search.toChoose() - 1)));
    for (std::size_t p = 0; p < offered.size(); ++p) {
        const std::vector<int> have(offered.begin(), offered.begin() + static_cast<std::ptrdiff_t>(p));
        const std::vector<int> base = judged[static_cast<std::size_t>(bestHolding(have))];
        if (std::count(base.begin(), base.end(), offered[p]))
            continue;
        std::vector<std::vector<int>> swapsIn;
        for (std::size_t i = 0; i < base.size(); ++i)
            if (!std::count(have.begin(), have.end(), base[i])) {
                swapsIn.push_back(base);
                swapsIn.back()[i] = offered[p];
            }
        if (!judgeNew(swapsIn)) {
            result.cancelled = true;
            return result;
        }
    }
    const auto winner = static_cast<std::size_t>(bestHolding(need));
    result.numbers = search.placed(judged[winner]);
    result.error = judgedErrors[winner];
    return result;
}

} // namespace

Mode_Ink_Choice Choose_Mode_Inks(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                                 TDither dither, const ScreenMode& mode, int a, int b, int c,
                                 const Ink_Search_Control& control, Ink_Search_Way way) {
    if (kept.size() != static_cast<std::size_t>(mode.inkCount))
        throw Exception("Mode " + IntToStr(mode.number) + " has " + IntToStr(mode.inkCount) +
                        " inks, not " + IntToStr(static_cast<int>(kept.size())));
    for (int number : kept)
        if (number != kChooseInk && (number < 0 || number >= kColourCount))
            throw Exception("Colour number " + IntToStr(number) +
                            " is not one of the CPC colours 0 to 26");
    source.SetPixelFormat(TPixelFormat::pf24bit);
    Mode_Ink_Choice choice;

    // The classic dither in mode 1 has an exact search of its own, for every
    // picture alike; it needs neither the measure nor the proxy.
    if (way == Ink_Search_Way::Automatic && dither == TDither::Classic &&
        mode.number == kDefaultScreenMode) {
        InkNumbers keptFour;
        std::copy(kept.begin(), kept.end(), keptFour.begin());
        const Ink_Choice exact =
            Choose_Inks(Ink_Search_Cells_Of(source, map, a, b, c), keptFour, control);
        choice.cancelled = exact.cancelled;
        if (!exact.cancelled) {
            choice.numbers.assign(exact.numbers.begin(), exact.numbers.end());
            if (control.measureChoice)
                choice.error = InkSearch(source, map, kept, dither, mode, a, b, c, control)
                                   .judge(choice.numbers)
                                   .error;
        }
        return choice;
    }

    InkSearch search(source, map, kept, dither, mode, a, b, c, control);

    const auto toChoose = static_cast<std::size_t>(search.toChoose());
    if (std::optional<std::set<int>> own =
            exactColours(source, static_cast<std::size_t>(mode.inkCount))) {
        for (int number : kept)
            own->erase(number);
        if (own->size() <= toChoose) {
            std::vector<int> chosen(own->begin(), own->end());
            for (int n : search.free())
                if (chosen.size() < toChoose && own->count(n) == 0)
                    chosen.push_back(n);
            choice.numbers = search.placed(chosen);
            if (control.measureChoice)
                choice.error = search.judge(choice.numbers).error;
            search.finish();
            return choice;
        }
    }

    choice = searched(search, dither, mode, way);
    if (!choice.cancelled && way == Ink_Search_Way::Automatic && !judgesEveryPair(search, dither, mode, way))
        choice = covered(search, choice, dither);
    if (!choice.cancelled)
        search.finish();
    return choice;
}
