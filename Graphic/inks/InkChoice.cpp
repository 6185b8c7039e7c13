#include "InkChoice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <span>
#include <unordered_map>
#include <utility>

#include "DitherRules.h"
#include "Engine.h"
#include "SearchRun.h"
#include "SysUtils.h"

// How the search is made fast. The dither gives a pixel its entry (0..3, the
// inks sorted by adjusted level) from nothing but its level m, its threshold
// and the four sorted levels; which colours sit at the entries plays no part.
// The 27 colours have only 7 raw levels (0, 127, ..., 762), so the 17,550
// sets share at most 210 sorted level lists ("keys"). For each key, the
// cells are sorted by mix: how many of the cell's four pixels each entry
// covers, one of 35 mixes. The cells of one mix are summed into a CellGroup
// once. A set's error is then the sum, over its key's 35 mixes, of the
// group's distance to that mix's colour in the set's inks: 35 steps per set
// instead of one per cell. Every set is judged this way, none skipped. Cells
// whose levels no key tells apart (LevelClasses) always share a mix, so they
// are summed once for all keys, and a key only places those sums.

namespace {

// Threshold of each pixel of a cell, in the cells' pixel order.
constexpr std::array<int, 4> kCellThreshold = {kDitherThreshold[0][0], kDitherThreshold[0][1],
                                               kDitherThreshold[1][0], kDitherThreshold[1][1]};

// The 35 ways to share a cell's four pixels among four entries. A mix's code
// writes its counts in base 5, so a cell's code is the sum of its pixels'
// entry weights.
constexpr int kMixCount = 35;
constexpr int kMixCodes = 5 * 5 * 5 * 5;
constexpr std::array<int, 4> kEntryWeight = {1, 5, 25, 125};

// A set of entries, one bit each (entry k is bit k).
constexpr std::size_t kEntrySets = 16;

struct Mixes {
    // The pixels of the mix that each set of entries covers.
    std::array<std::array<int, kEntrySets>, kMixCount> countIn{};
    std::array<std::uint8_t, kMixCodes> indexOfCode{};
    Mixes() {
        std::size_t index = 0;
        for (int e0 = 0; e0 <= 4; ++e0)
            for (int e1 = 0; e0 + e1 <= 4; ++e1)
                for (int e2 = 0; e0 + e1 + e2 <= 4; ++e2) {
                    const int e3 = 4 - e0 - e1 - e2;
                    const std::array<int, 4> counts = {e0, e1, e2, e3};
                    for (std::size_t entries = 0; entries < kEntrySets; ++entries)
                        for (std::size_t k = 0; k < 4; ++k)
                            countIn[index][entries] += (entries >> k & 1) != 0 ? counts[k] : 0;
                    indexOfCode[static_cast<std::size_t>(e0 + 5 * e1 + 25 * e2 + 125 * e3)] =
                        static_cast<std::uint8_t>(index);
                    ++index;
                }
    }
};

const Mixes& mixes() {
    static const Mixes table;
    return table;
}

using Groups = std::array<CellGroup, kMixCount>;

// One set as the dither sees it: the colour numbers in table order, the
// table index at each sorted entry, and its key.
struct Candidate {
    InkNumbers numbers;
    std::array<int, 4> order;
    int key;
};

// Levels no key tells apart. Within one key, a pixel's entry changes only
// at a level (where the top level is shared by two inks), just past one, or
// where the threshold splits the span between two neighbouring levels; and
// all keys draw their levels from the colours' 7. So, for each pixel of a
// cell (its threshold), those points cut the levels into at most
// 2 x 7 + 21 + 1 = 36 classes that every key treats alike, and a cell is
// one tuple of four classes: a key works out its mix once per tuple that
// occurs (a few thousand), and adds the tuple's cells as one sum.
struct LevelClasses {
    // Per pixel of a cell: the points, ascending; class i holds the levels
    // from point i - 1 on (class 0: everything below point 0).
    std::array<std::vector<int>, 4> points;
    // The tuples that occur, each as its four classes, in order of first
    // appearance, and the sum of each tuple's cells, added in their order.
    std::vector<std::array<std::uint8_t, 4>> tuples;
    std::vector<CellGroup> cellsOfTuple;
};

// The first level of (lo, hi] at which a pixel of threshold takes the upper
// of the two levels: the dither's own rule, found by halving (it only ever
// moves up).
int splitPoint(int lo, int hi, int threshold) {
    const std::array<int, 2> pair = {lo, hi};
    int low = lo + 1, high = hi;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (Dither_Entry(std::span<const int>(pair), middle, threshold) == 1)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

LevelClasses levelClasses(const Ink_Search_Cells& cells,
                          const std::vector<std::array<int, 4>>& keys) {
    std::vector<int> levels;
    for (const std::array<int, 4>& key : keys)
        levels.insert(levels.end(), key.begin(), key.end());
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    LevelClasses classes;
    for (std::size_t p = 0; p < 4; ++p) {
        std::vector<int>& points = classes.points[p];
        for (std::size_t i = 0; i < levels.size(); ++i) {
            points.push_back(levels[i]);
            points.push_back(levels[i] + 1);
            for (std::size_t j = i + 1; j < levels.size(); ++j)
                points.push_back(splitPoint(levels[i], levels[j], kCellThreshold[p]));
        }
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
    }
    const auto classOf = [&](std::size_t p, int m) {
        const std::vector<int>& points = classes.points[p];
        return static_cast<std::uint8_t>(std::upper_bound(points.begin(), points.end(), m) -
                                         points.begin());
    };
    std::unordered_map<std::uint32_t, std::size_t> tupleIndex;
    for (std::size_t c = 0; c < cells.m.size(); ++c) {
        const std::array<int, 4>& m = cells.m[c];
        const std::array<std::uint8_t, 4> tuple = {classOf(0, m[0]), classOf(1, m[1]),
                                                   classOf(2, m[2]), classOf(3, m[3])};
        std::uint32_t code = 0;
        for (const std::uint8_t part : tuple)
            code = code << 8 | part;
        const auto [place, added] = tupleIndex.emplace(code, classes.tuples.size());
        if (added) {
            classes.tuples.push_back(tuple);
            classes.cellsOfTuple.emplace_back();
        }
        Add_To_Group(classes.cellsOfTuple[place->second], cells.colour[c]);
    }
    return classes;
}

// The cells of one key sorted into their mixes: each tuple's mix from the
// entries of its classes (a class stands for any of its levels), and the
// tuples' sums added to their mixes in the tuples' order.
Groups groupCells(const LevelClasses& classes, const std::array<int, 4>& levels) {
    std::array<std::vector<int>, 4> weightOfClass;
    for (std::size_t p = 0; p < 4; ++p) {
        const std::vector<int>& points = classes.points[p];
        weightOfClass[p].resize(points.size() + 1);
        for (std::size_t i = 0; i <= points.size(); ++i) {
            const int m = i == 0 ? (points.empty() ? 0 : points[0] - 1) : points[i - 1];
            weightOfClass[p][i] =
                kEntryWeight[static_cast<std::size_t>(Dither_Entry(levels, m, kCellThreshold[p]))];
        }
    }
    const Mixes& mix = mixes();
    Groups groups{};
    for (std::size_t t = 0; t < classes.tuples.size(); ++t) {
        const std::array<std::uint8_t, 4>& tuple = classes.tuples[t];
        int code = 0;
        for (std::size_t p = 0; p < 4; ++p)
            code += weightOfClass[p][tuple[p]];
        Merge_Groups(groups[mix.indexOfCode[static_cast<std::size_t>(code)]],
                     classes.cellsOfTuple[t]);
    }
    return groups;
}

// The colour of every mix that colour numbers can make. A colour number's
// channel is 0, 127 or 254 (intensity 0..2), so what a cell's four pixels
// give in one channel is fixed by how many have intensity 1 and how many 2:
// 15 cases per channel, 3,375 mix colours in all, each worked out once by
// Mix_Colour itself (which sums a channel by value, so the bits are the same
// as for the same pixels in any other order).
class MixColours {
  public:
    static constexpr int kIntensityStep = 127;
    static std::size_t channel(int ones, int twos) {
        return static_cast<std::size_t>(5 * ones + twos);
    }

    MixColours() : mColour(25 * 25 * 25) {
        const auto split = [](int ones, int twos, int pixel) {
            return static_cast<std::uint8_t>(kIntensityStep * (pixel < ones          ? 1
                                                               : pixel < ones + twos ? 2
                                                                                     : 0));
        };
        for (int r1 = 0; r1 <= 4; ++r1)
            for (int r2 = 0; r1 + r2 <= 4; ++r2)
                for (int g1 = 0; g1 <= 4; ++g1)
                    for (int g2 = 0; g1 + g2 <= 4; ++g2)
                        for (int b1 = 0; b1 <= 4; ++b1)
                            for (int b2 = 0; b1 + b2 <= 4; ++b2) {
                                InkTable pixels;
                                for (int p = 0; p < 4; ++p)
                                    pixels[static_cast<std::size_t>(p)] = {
                                        split(r1, r2, p), split(g1, g2, p), split(b1, b2, p)};
                                mColour[index(channel(r1, r2), channel(g1, g2), channel(b1, b2))] =
                                    Mix_Colour(pixels, {1, 1, 1, 1});
                            }
    }
    const OkLab& at(std::size_t red, std::size_t green, std::size_t blue) const {
        return mColour[index(red, green, blue)];
    }

  private:
    static std::size_t index(std::size_t red, std::size_t green, std::size_t blue) {
        return (red * 25 + green) * 25 + blue;
    }
    std::vector<OkLab> mColour;
};

const MixColours& mixColours() {
    static const MixColours table;
    return table;
}

// The ink of a colour number, looked up: the search asks millions of times.
Ink inkOf(int number) {
    static const std::array<Ink, kColourCount> inks = [] {
        std::array<Ink, kColourCount> table;
        for (int n = 0; n < kColourCount; ++n)
            table[static_cast<std::size_t>(n)] = Ink_From_Colour_Number(n);
        return table;
    }();
    return number >= 0 && number < kColourCount ? inks[static_cast<std::size_t>(number)]
                                                : Ink_From_Colour_Number(number);
}

// The measure of one set from its key's groups: each mix's colour in the
// set's inks against the cells that show it.
double setError(const Candidate& set, const Groups& groups, std::size_t cellCount) {
    if (cellCount == 0)
        return 0;
    // Per channel (red, green, blue), the entries whose ink has intensity 1
    // and those whose ink has intensity 2.
    std::array<std::size_t, 3> onesAt{}, twosAt{};
    for (std::size_t k = 0; k < 4; ++k) {
        const Ink ink = inkOf(set.numbers[static_cast<std::size_t>(set.order[k])]);
        const std::array<int, 3> intensity = {ink.r / MixColours::kIntensityStep,
                                              ink.g / MixColours::kIntensityStep,
                                              ink.b / MixColours::kIntensityStep};
        for (std::size_t c = 0; c < 3; ++c) {
            onesAt[c] |= intensity[c] == 1 ? std::size_t{1} << k : 0;
            twosAt[c] |= intensity[c] == 2 ? std::size_t{1} << k : 0;
        }
    }
    const Mixes& mix = mixes();
    const MixColours& colours = mixColours();
    double total = 0;
    for (std::size_t j = 0; j < kMixCount; ++j) {
        if (groups[j].count == 0)
            continue;
        const std::array<int, kEntrySets>& in = mix.countIn[j];
        const OkLab& colour = colours.at(MixColours::channel(in[onesAt[0]], in[twosAt[0]]),
                                         MixColours::channel(in[onesAt[1]], in[twosAt[1]]),
                                         MixColours::channel(in[onesAt[2]], in[twosAt[2]]));
        total += Group_Distance(groups[j], colour);
    }
    return total / static_cast<double>(cellCount);
}

// Orders chosen darkest first (by level, equal levels by colour number) and
// puts them in that order at the kChooseInk places of numbers; numbers'
// other entries stay.
void placeChosen(std::span<int> numbers, std::span<int> chosen) {
    const auto darker = [](int x, int y) {
        const int lx = Ink_Level(inkOf(x)), ly = Ink_Level(inkOf(y));
        return lx != ly ? lx < ly : x < y;
    };
    std::sort(chosen.begin(), chosen.end(), darker);
    std::size_t next = 0;
    for (int& number : numbers)
        if (number == kChooseInk && next < chosen.size())
            number = chosen[next++];
}

// Every set to judge, in the order that breaks ties: the chosen colours as an
// ascending combination, in lexicographic order.
std::vector<Candidate> candidates(const InkNumbers& kept, int a, int b,
                                  std::vector<std::array<int, 4>>& keys) {
    std::vector<int> free;
    for (int n = 0; n < kColourCount; ++n)
        if (std::find(kept.begin(), kept.end(), n) == kept.end())
            free.push_back(n);
    const auto toChoose =
        static_cast<std::size_t>(std::count(kept.begin(), kept.end(), kChooseInk));
    // Adjusted level of each colour, worked out once.
    std::array<int, kColourCount> adjusted;
    for (int n = 0; n < kColourCount; ++n)
        adjusted[static_cast<std::size_t>(n)] =
            Adjusted_Ink_Level(Ink_Level(Ink_From_Colour_Number(n)), a, b);
    std::map<std::array<int, 4>, int> keyIndex;
    std::vector<Candidate> sets;
    std::vector<std::size_t> pick(toChoose);
    for (std::size_t i = 0; i < toChoose; ++i)
        pick[i] = i;
    for (;;) {
        std::array<int, 4> chosen{};
        for (std::size_t i = 0; i < toChoose; ++i)
            chosen[i] = free[pick[i]];
        Candidate set{kept, {}, 0};
        placeChosen(set.numbers, std::span(chosen).first(toChoose));
        std::array<int, 4> levels;
        for (std::size_t i = 0; i < 4; ++i)
            levels[i] = adjusted[static_cast<std::size_t>(set.numbers[i])];
        set.order = Dither_Entry_Order(levels);
        std::array<int, 4> sorted;
        for (std::size_t k = 0; k < 4; ++k)
            sorted[k] = levels[static_cast<std::size_t>(set.order[k])];
        const auto [place, added] = keyIndex.emplace(sorted, static_cast<int>(keys.size()));
        if (added)
            keys.push_back(sorted);
        set.key = place->second;
        sets.push_back(set);
        // Next combination of toChoose indices into free.
        std::size_t i = toChoose;
        while (i > 0 && pick[i - 1] == free.size() - toChoose + (i - 1))
            --i;
        if (i == 0)
            break;
        ++pick[i - 1];
        for (std::size_t j = i; j < toChoose; ++j)
            pick[j] = pick[j - 1] + 1;
    }
    return sets;
}

// Cell index i of count spread evenly over extent cells (all of them when
// count == extent).
int spread(int i, int count, int extent) {
    return static_cast<int>((2LL * i + 1) * extent / (2LL * count));
}

} // namespace

InkTable Inks_Of_Numbers(const InkNumbers& numbers) {
    InkTable inks;
    for (std::size_t k = 0; k < 4; ++k)
        inks[k] = Ink_From_Colour_Number(numbers[k]);
    return inks;
}

InkNumbers Place_Chosen_Inks(const InkNumbers& kept, std::vector<int> chosen) {
    InkNumbers numbers = kept;
    placeChosen(numbers, chosen);
    return numbers;
}

std::vector<int> Place_Chosen_Inks(const std::vector<int>& kept, std::vector<int> chosen) {
    std::vector<int> numbers = kept;
    placeChosen(numbers, chosen);
    return numbers;
}

Ink_Search_Cells Ink_Search_Cells_Of(const TPicture& source, const TPicture& map, int a, int b,
                                     int c) {
    Ink_Search_Cells cells;
    cells.brightness = a;
    cells.contrast = b;
    cells.local = c;
    const int across = source.GetWidth() / 2, down = source.GetHeight() / 2;
    if (across == 0 || down == 0)
        return cells;
    if (c != 0)
        Require_Map_Of(source, map);
    int columns = across, rows = down;
    const long long all = static_cast<long long>(across) * down;
    if (all > kMaxJudgedCells) {
        const double scale =
            std::sqrt(static_cast<double>(kMaxJudgedCells) / static_cast<double>(all));
        columns = std::clamp(static_cast<int>(across * scale), 1, across);
        rows = std::clamp(static_cast<int>(down * scale), 1, down);
        // Rounding can leave one row or column too many.
        while (static_cast<long long>(columns) * rows > kMaxJudgedCells) {
            if (columns >= rows && columns > 1)
                --columns;
            else
                --rows;
        }
    }
    const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    cells.x.reserve(count);
    cells.y.reserve(count);
    cells.m.reserve(count);
    cells.colour.reserve(count);
    cells.lowest = std::numeric_limits<int>::max();
    cells.highest = std::numeric_limits<int>::min();
    for (int j = 0; j < rows; ++j) {
        const int y = 2 * spread(j, rows, down);
        const std::uint8_t* top = source.GetScanline(y);
        const std::uint8_t* bottom = source.GetScanline(y + 1);
        const std::uint8_t* mapTop = c != 0 ? map.GetScanline(y) : nullptr;
        const std::uint8_t* mapBottom = c != 0 ? map.GetScanline(y + 1) : nullptr;
        for (int i = 0; i < columns; ++i) {
            const int x = 2 * spread(i, columns, across);
            const std::uint8_t* pixels[4] = {top + 3 * x, top + 3 * x + 3, bottom + 3 * x,
                                             bottom + 3 * x + 3};
            std::array<int, 4> m;
            for (std::size_t p = 0; p < 4; ++p) {
                const int s = pixels[p][0] + pixels[p][1] + pixels[p][2];
                // Without a local term the map is not needed, and may not exist.
                int n = kNeutralMapSum;
                if (c != 0) {
                    const std::uint8_t* mapPixel = (p < 2 ? mapTop : mapBottom) + 3 * (x + static_cast<int>(p % 2));
                    n = mapPixel[0] + mapPixel[1] + mapPixel[2];
                }
                m[p] = s - Local_Term(n, c);
                cells.lowest = std::min(cells.lowest, m[p]);
                cells.highest = std::max(cells.highest, m[p]);
            }
            cells.x.push_back(x);
            cells.y.push_back(y);
            cells.m.push_back(m);
            cells.colour.push_back(Cell_Colour(pixels[0], pixels[1], pixels[2], pixels[3]));
        }
    }
    return cells;
}

Ink_Choice Choose_Inks(const Ink_Search_Cells& cells, const InkNumbers& kept,
                       const Ink_Search_Control& control) {
    for (int number : kept)
        if (number != kChooseInk && (number < 0 || number >= kColourCount))
            throw Exception("Colour number " + IntToStr(number) +
                            " is not one of the CPC colours 0 to 26");
    std::vector<std::array<int, 4>> keys;
    const std::vector<Candidate> sets = candidates(kept, cells.brightness, cells.contrast, keys);

    const LevelClasses classes = levelClasses(cells, keys);
    // A key's pass over the tuples costs about as much as this many sets.
    const int keyWeight = 1 + static_cast<int>(classes.tuples.size() / 128);
    const int keyCount = static_cast<int>(keys.size()), setCount = static_cast<int>(sets.size());
    const int total = keyCount * keyWeight + setCount;
    std::atomic<int> done{0};
    Ink_Choice choice;
    std::vector<Groups> groups(keys.size());
    if (!Run_Search_Parallel(keyCount, keyWeight, control, done, total, [&](int k) {
            groups[static_cast<std::size_t>(k)] =
                groupCells(classes, keys[static_cast<std::size_t>(k)]);
        })) {
        choice.cancelled = true;
        return choice;
    }
    std::vector<double> errors(sets.size());
    if (!Run_Search_Parallel(setCount, 1, control, done, total, [&](int s) {
            const Candidate& set = sets[static_cast<std::size_t>(s)];
            errors[static_cast<std::size_t>(s)] =
                setError(set, groups[static_cast<std::size_t>(set.key)], cells.m.size());
        })) {
        choice.cancelled = true;
        return choice;
    }
    const std::size_t best =
        static_cast<std::size_t>(std::min_element(errors.begin(), errors.end()) - errors.begin());
    choice.numbers = sets[best].numbers;
    choice.error = errors[best];
    return choice;
}

double Ink_Table_Error(TPicture& source, const TPicture& map, const InkTable& inks,
                       const Ink_Search_Cells& cells) {
    if (cells.colour.empty())
        return 0;
    TPicture result;
    CPC_Mode1_Dither(source, result, map, inks, cells.brightness, cells.contrast, cells.local);
    const auto inkAt = [&](int x, int y) {
        const std::uint8_t* p = result.GetScanline(y) + 3 * x;
        for (std::size_t i = 0; i < 4; ++i)
            if (p[0] == inks[i].b && p[1] == inks[i].g && p[2] == inks[i].r)
                return i;
        throw Exception("A dithered pixel matches none of the inks");
    };
    double total = 0;
    for (std::size_t c = 0; c < cells.colour.size(); ++c) {
        const int x = cells.x[c], y = cells.y[c];
        std::array<int, 4> counts{};
        ++counts[inkAt(x, y)];
        ++counts[inkAt(x + 1, y)];
        ++counts[inkAt(x, y + 1)];
        ++counts[inkAt(x + 1, y + 1)];
        total += Cell_Distance(cells.colour[c], Mix_Colour(inks, counts));
    }
    return total / static_cast<double>(cells.colour.size());
}
