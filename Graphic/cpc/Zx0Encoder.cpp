#include "Zx0Encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <deque>
#include <limits>
#include <utility>

#include "SysUtils.h"

namespace {

constexpr int kNever = std::numeric_limits<int>::max() / 2;
// The MSB code's value that ends the stream.
constexpr unsigned kEndMarker = 256;
// About what one more literal byte costs: a "last offset" copy of a single
// byte, which no new offset can copy, is worth keeping a literal run for
// while that run costs no more than this above the best parse.
constexpr int kLiteralByteBits = 12;

// With Zx0Search::Bounded, runs at every offset get a kept literal worked out
// while the runs that did average at most kFollowedRunsPerByte a byte; past
// that, only runs at offsets up to kNearOffsets and within kUsedOffsetSpread
// of an offset a best copy has used. On dark screens every zero repeats at
// thousands of offsets and the literals would cost most of the time for
// little gain. Chosen by measurement on dithered photographs.
constexpr long kFollowedRunsPerByte = 256;
constexpr int kNearOffsets = 1024;
constexpr int kUsedOffsetSpread = 2;

// Bits of the interlaced Elias gamma code of value >= 1.
int eliasBits(unsigned value) { return 2 * static_cast<int>(std::bit_width(value)) - 1; }

unsigned offsetMsb(int offset) { return static_cast<unsigned>((offset - 1) / 128 + 1); }

// Bits a new offset takes besides its flag and length: the MSB code and the
// seven bits of the LSB byte (its last bit starts the length code).
int offsetBits(int offset) { return eliasBits(offsetMsb(offset)) + 7; }

enum class Kind : std::uint8_t { Start, Literal, LastOffset, NewOffset };

// One block of a parse and the block before it; cost counts the bits of the
// whole stream up to the block's end. The start costs -1: the first literal
// has no flag bit.
struct Node {
    int cost;
    int previous;
    int offset;
    int length;
    Kind kind;
};

// The kept literal of an offset's run: its length, and the copy before it
// (its cost, previous node, length and kind; Start: the copy is node
// previous itself). Most are never used, so they become nodes only when a
// parse asks for them.
struct KeptLiteral {
    int length = 0;
    int copyCost = 0;
    int copyPrevious = -1;
    int copyLength = 0;
    Kind copyKind = Kind::Start;
};

// Offsets whose MSB codes have the same length share a class: the first
// offset past each class.
constexpr std::array<int, 8> kOffsetClassEnds = {129, 385, 897, 1921, 3969, 8065, 16257, kZx0MaxOffset + 1};

// Offsets 0..kZx0MaxOffset as bits, offset o at bit o % 64 of word o / 64.
constexpr int kOffsetWords = kZx0MaxOffset / 64 + 1;
using OffsetSet = std::array<std::uint64_t, kOffsetWords>;

// The minimum of key over a window of positions that slides forward: the
// positions a literal of lengths 2^k .. 2^(k+1) - 1 can start from, all of
// whose codes have the same length.
class SlidingMinimum {
public:
    void add(int position, int key) {
        while (!mEntries.empty() && mEntries.back().second >= key)
            mEntries.pop_back();
        mEntries.emplace_back(position, key);
    }
    void dropBefore(int position) {
        while (!mEntries.empty() && mEntries.front().first < position)
            mEntries.pop_front();
    }
    bool empty() const { return mEntries.empty(); }
    const std::pair<int, int>& minimum() const { return mEntries.front(); }

private:
    std::deque<std::pair<int, int>> mEntries;
};

// The cheapest of a growing list of costs over any range of it, in constant
// time: for each power of two 2^j, the cheapest of the 2^j entries from each
// position, filled in as the list grows.
class RangeMinimum {
public:
    explicit RangeMinimum(std::size_t size) : mLevels(static_cast<std::size_t>(std::bit_width(size)) + 1) {}

    void append(int cost) {
        const int index = static_cast<int>(mCosts.size());
        mCosts.push_back(cost);
        mLevels[0].push_back(index);
        for (std::size_t j = 1; j < mLevels.size() && index + 1 >= (1 << j); ++j) {
            const int from = index + 1 - (1 << j);
            mLevels[j].push_back(cheaper(mLevels[j - 1][at(from)], mLevels[j - 1][at(from + (1 << (j - 1)))]));
        }
    }

    // The index first..last (first <= last) of the cheapest cost.
    int cheapest(int first, int last) const {
        const std::size_t j = static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(last - first + 1))) - 1;
        return cheaper(mLevels[j][at(first)], mLevels[j][at(last + 1 - (1 << j))]);
    }

    int cost(int index) const { return mCosts[at(index)]; }

    // Empties the list, keeping its room.
    void clear() {
        mCosts.clear();
        for (std::vector<int>& level : mLevels)
            level.clear();
    }

private:
    static std::size_t at(int index) { return static_cast<std::size_t>(index); }
    int cheaper(int a, int b) const { return mCosts[at(b)] < mCosts[at(a)] ? b : a; }

    std::vector<int> mCosts;
    std::vector<std::vector<int>> mLevels;
};

// Nodes by number, kept in blocks that never move: dark pictures keep
// millions, and a growing vector would copy them all again and again. Only
// what the parse is read back with is kept, not the cost.
class NodeStore {
public:
    int add(const Node& node) {
        if (mCount % kBlock == 0)
            mBlocks.emplace_back().reserve(kBlock);
        mBlocks.back().push_back({node.previous, node.length, static_cast<std::uint16_t>(node.offset), node.kind});
        return mCount++;
    }
    Node operator[](int index) const {
        const Stored& node = mBlocks[at(index / kBlock)][at(index % kBlock)];
        return {0, node.previous, node.offset, node.length, node.kind};
    }

private:
    struct Stored {
        int previous;
        int length;
        std::uint16_t offset;
        Kind kind;
    };
    static constexpr int kBlock = 1 << 16;
    static std::size_t at(int index) { return static_cast<std::size_t>(index); }
    std::vector<std::vector<Stored>> mBlocks;
    int mCount = 0;
};

class Parser {
public:
    Parser(std::span<const std::uint8_t> data, Zx0Search search)
        : mData(data), mSize(static_cast<int>(data.size())), mRunStart(kZx0MaxOffset + 1, 0),
          mRunLast(kZx0MaxOffset + 1, -2), mLiteralCost(kZx0MaxOffset + 1, kNever), mKept(kZx0MaxOffset + 1),
          mBounded(search == Zx0Search::Bounded),
          mBestCost(data.size() + 1, kNever), mBestNode(data.size() + 1, -1), mCopyCost(data.size() + 1, kNever),
          mCopyNode(data.size() + 1, -1), mLiteralWindows(static_cast<std::size_t>(std::bit_width(data.size())) + 1),
          mBest(data.size() + 1), mStretchLiterals(data.size() + 1) {
        mNodes.add({-1, -1, 0, 0, Kind::Start});
        mBestCost[0] = mCopyCost[0] = -1;
        mBestNode[0] = mCopyNode[0] = 0;
        mBest.append(-1);
        // The stream starts with 1 as its last offset, as if a copy from it
        // ended before the first byte.
        mRunLast[1] = -1;
        for (int offset = 1; offset <= kNearOffsets; ++offset)
            mFollowed[at(offset / 64)] |= std::uint64_t{1} << (offset % 64);
        const std::size_t words = (data.size() + kZx0MaxOffset) / 64 + 2;
        for (int position = 0; position < mSize; ++position) {
            std::vector<std::uint64_t>& places = mPlacesOf[mData[at(position)]];
            if (places.empty())
                places.resize(words);
            const std::size_t bit = at(mSize - 1 - position);
            places[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }

    // The blocks of the cheapest parse found, first block first.
    std::vector<Node> blocks() {
        for (int byte = 0; byte < mSize; ++byte)
            step(byte);
        std::vector<Node> parse;
        for (int node = mBestNode[at(mSize)]; mNodes[node].kind != Kind::Start; node = mNodes[node].previous)
            parse.push_back(mNodes[node]);
        std::reverse(parse.begin(), parse.end());
        return parse;
    }

private:
    static std::size_t at(int index) { return static_cast<std::size_t>(index); }

    // Every copy that can end after byte, from each offset at which it
    // repeats an earlier byte: "last offset" over a whole run after its kept
    // literal, or a new offset over the end of the longest run of each offset
    // class. The cheapest is kept, then the best parse up to here.
    void step(int byte) {
        const int end = byte + 1;
        noteShortStarts(end);
        if (byte == 0 || mData[at(byte)] != mData[at(byte - 1)])
            startStretch(byte);
        findRepeats(byte);
        // In a stretch of one byte value, the run at each offset up to the
        // stretch's length so far started that offset into the stretch and
        // still goes on: those offsets are taken together, the newest alone.
        const int newest = byte - mStretchStart;
        const int within = std::min(newest - 1, kZx0MaxOffset);
        std::array<int, kOffsetClassEnds.size()> classStart, classOffset;
        classStart.fill(end);
        Node best{kNever, -1, 0, 0, Kind::LastOffset};
        if (within >= 1)
            stretchCopies(end, within, classStart, classOffset, best);
        // One by one: the runs that start here at an offset followed, or
        // after a literal still kept, and those going on whose kept literal
        // may still pay. Other runs that start only note their start.
        const int lowest = std::max(within, 0) + 1;
        const bool everyOffset = !mBounded || mFollowedRuns <= kFollowedRunsPerByte * end;
        std::size_t offsetClass = 0;
        int bits = offsetBits(kOffsetClassEnds[0] - 1);
        for (int word = lowest / 64; word < mRepeatWords; ++word) {
            const std::uint64_t now = mRepeats[at(word)], before = mRepeatsBefore[at(word)];
            const std::uint64_t inReach = word == lowest / 64 ? ~std::uint64_t{0} << (lowest % 64) : ~std::uint64_t{0};
            const std::uint64_t followed = everyOffset ? ~std::uint64_t{0} : mFollowed[at(word)];
            const std::uint64_t starting = now & ~before & inReach;
            for (std::uint64_t other = starting & ~followed & ~mLive[at(word)]; other != 0; other &= other - 1)
                mRunStart[at(64 * word + std::countr_zero(other))] = byte;
            std::uint64_t taken = now & inReach & ((~before & followed) | mLive[at(word)]);
            for (; taken != 0; taken &= taken - 1) {
                const int bit = std::countr_zero(taken);
                const int offset = 64 * word + bit;
                if (offset >= kOffsetClassEnds[offsetClass]) {
                    while (offset >= kOffsetClassEnds[offsetClass])
                        ++offsetClass;
                    bits = offsetBits(kOffsetClassEnds[offsetClass] - 1);
                }
                int& literalCost = mLiteralCost[at(offset)];
                if ((before >> bit & 1u) == 0) {
                    // A run one byte long: too short for a new offset.
                    startRun(offset, byte, bits);
                    ++mFollowedRuns;
                    if (literalCost + 1 + eliasBits(1) < best.cost)
                        best = {literalCost + 1 + eliasBits(1), -1, offset, 1, Kind::LastOffset};
                    continue;
                }
                // Past its first byte, a run's literal that costs more above
                // the best parse where it ends than a new offset takes loses
                // to a new-offset copy of the same bytes, here and at the
                // run's end.
                const int start = mRunStart[at(offset)];
                if (literalCost > mBestCost[at(start)] + bits) {
                    literalCost = kNever;
                    mLive[at(word)] &= ~(std::uint64_t{1} << bit);
                    continue;
                }
                const int length = end - start;
                const int cost = literalCost + 1 + eliasBits(static_cast<unsigned>(length));
                if (cost < best.cost)
                    best = {cost, -1, offset, length, Kind::LastOffset};
            }
        }
        longestRuns(byte, classStart, classOffset);
        if (newest >= 1 && newest <= kZx0MaxOffset)
            mStretchLiterals.append(mLiteralCost[at(newest)]);
        for (std::size_t k = 0; k < classStart.size(); ++k) {
            if (end - classStart[k] < 2)
                continue;
            const auto [length, startCost] = cheapestStart(end, end - classStart[k]);
            const int cost = startCost + 1 + offsetBits(classOffset[k]);
            if (cost < best.cost)
                best = {cost, mBestNode[at(end - length)], classOffset[k], length, Kind::NewOffset};
        }
        if (best.cost < kNever) {
            if (best.kind == Kind::LastOffset)
                best.previous = literalNode(best.offset);
            mCopyCost[at(end)] = best.cost;
            if (mBounded)
                follow(best.offset);
            mCopyNode[at(end)] = keep(best);
        }
        settle(end);
    }

    // Kept literals are worked out from now on at the offsets near offset.
    void follow(int offset) {
        for (int near = std::max(1, offset - kUsedOffsetSpread);
             near <= std::min(kZx0MaxOffset, offset + kUsedOffsetSpread); ++near)
            mFollowed[at(near / 64)] |= std::uint64_t{1} << (near % 64);
    }

    // The offsets at which byte repeats an earlier byte, and before them
    // those at which the byte before did; a run that went on at an offset
    // and ends here has its last byte noted.
    void findRepeats(int byte) {
        std::swap(mRepeats, mRepeatsBefore);
        const std::vector<std::uint64_t>& places = mPlacesOf[mData[at(byte)]];
        const std::size_t first = at(mSize - 1 - byte);
        const std::size_t word = first / 64;
        const unsigned shift = first % 64;
        mRepeatWords = std::min(byte, kZx0MaxOffset) / 64 + 1;
        for (int w = 0; w < mRepeatWords; ++w) {
            std::uint64_t bits = places[word + at(w)] >> shift;
            if (shift != 0)
                bits |= places[word + at(w) + 1] << (64 - shift);
            // Offset 0 is the byte itself; past kZx0MaxOffset no copy reaches.
            if (w == 0)
                bits &= ~std::uint64_t{1};
            if (w == kOffsetWords - 1)
                bits &= (std::uint64_t{2} << (kZx0MaxOffset % 64)) - 1;
            mRepeats[at(w)] = bits;
            for (std::uint64_t ended = mRepeatsBefore[at(w)] & ~bits; ended != 0; ended &= ended - 1)
                mRunLast[at(64 * w + std::countr_zero(ended))] = byte - 1;
        }
    }

    // For each offset class, the earliest start of a run that goes on here
    // (the smallest offset of those), where it starts before classStart.
    // The runs that start there are kept from byte to byte and looked for
    // again only when all of them have ended.
    void longestRuns(int byte, std::array<int, kOffsetClassEnds.size()>& classStart,
                     std::array<int, kOffsetClassEnds.size()>& classOffset) {
        const int reach = std::min(byte, kZx0MaxOffset);
        for (std::size_t k = 0; k < kOffsetClassEnds.size(); ++k) {
            const int lowest = k == 0 ? 1 : kOffsetClassEnds[k - 1];
            if (lowest > reach)
                break;
            const int highest = std::min(kOffsetClassEnds[k] - 1, reach);
            const int firstWord = lowest / 64, lastWord = highest / 64;
            std::uint64_t going = 0;
            for (int w = firstWord; w <= lastWord; ++w)
                going |= (mLongest[at(w)] &= mRepeats[at(w)]) & classMask(w, lowest, highest);
            if (going == 0 && !findLongest(k, lowest, highest))
                continue;
            if (mLongestStart[k] >= classStart[k])
                continue;
            int w = firstWord;
            while ((mLongest[at(w)] & classMask(w, lowest, highest)) == 0)
                ++w;
            classStart[k] = mLongestStart[k];
            classOffset[k] = 64 * w + std::countr_zero(mLongest[at(w)] & classMask(w, lowest, highest));
        }
    }

    // The bits of word w for offsets lowest..highest.
    static std::uint64_t classMask(int w, int lowest, int highest) {
        std::uint64_t mask = ~std::uint64_t{0};
        if (w == lowest / 64)
            mask &= ~std::uint64_t{0} << (lowest % 64);
        if (w == highest / 64 && highest % 64 != 63)
            mask &= (std::uint64_t{1} << (highest % 64 + 1)) - 1;
        return mask;
    }

    // Looks over every run going on in offsets lowest..highest (class k) for
    // the earliest start; false if none goes on.
    bool findLongest(std::size_t k, int lowest, int highest) {
        int earliest = kNever;
        for (int w = lowest / 64; w <= highest / 64; ++w)
            for (std::uint64_t going = mRepeats[at(w)] & mRepeatsBefore[at(w)] & classMask(w, lowest, highest);
                 going != 0; going &= going - 1)
                earliest = std::min(earliest, mRunStart[at(64 * w + std::countr_zero(going))]);
        mLongestStart[k] = earliest;
        if (earliest == kNever)
            return false;
        for (int w = lowest / 64; w <= highest / 64; ++w) {
            std::uint64_t& longest = mLongest[at(w)];
            longest &= ~classMask(w, lowest, highest);
            for (std::uint64_t going = mRepeats[at(w)] & mRepeatsBefore[at(w)] & classMask(w, lowest, highest);
                 going != 0; going &= going - 1) {
                const int bit = std::countr_zero(going);
                if (mRunStart[at(64 * w + bit)] == earliest)
                    longest |= std::uint64_t{1} << bit;
            }
        }
        return true;
    }

    // A stretch of one byte value starts at byte.
    void startStretch(int byte) {
        mStretchStart = byte;
        mStretchLiterals.clear();
        mStretchLiterals.append(kNever); // offset 0, never used
    }

    // What the offsets 1..within (all inside the stretch, each run started
    // that offset into it) add to step: the smallest offset of each class
    // has the earliest start, and a "last offset" copy of length L costs its
    // kept literal plus Elias(L), so each length class is one range of
    // offsets whose cheapest literal decides. Smaller offsets win ties, as
    // in step's own loop.
    void stretchCopies(int end, int within, std::array<int, kOffsetClassEnds.size()>& classStart,
                       std::array<int, kOffsetClassEnds.size()>& classOffset, Node& best) const {
        for (std::size_t k = 0; k < kOffsetClassEnds.size(); ++k) {
            const int lowest = k == 0 ? 1 : kOffsetClassEnds[k - 1];
            if (lowest <= within) {
                classStart[k] = mStretchStart + lowest;
                classOffset[k] = lowest;
            }
        }
        const int reach = end - mStretchStart;
        for (int first = 1; first <= within;) {
            const int shortest = static_cast<int>(std::bit_floor(static_cast<unsigned>(reach - first)));
            const int last = std::min(within, reach - shortest);
            const int offset = mStretchLiterals.cheapest(first, last);
            const int literalCost = mStretchLiterals.cost(offset);
            if (literalCost < kNever) {
                const int length = reach - offset;
                const int cost = literalCost + 1 + eliasBits(static_cast<unsigned>(length));
                if (cost < best.cost)
                    best = {cost, -1, offset, length, Kind::LastOffset};
            }
            first = last + 1;
        }
    }

    // A run of repeats at offset starts at byte. The cheapest copy from the
    // offset ending where its last run ended, and a literal run from there to
    // here, are kept if a "last offset" copy after them could beat a
    // new-offset copy of the same bytes from the best parse here. bits: what
    // a new offset of the offset's class takes besides its flag and length.
    void startRun(int offset, int byte, int bits) {
        const int previousStart = mRunStart[at(offset)];
        const int copyEnd = mRunLast[at(offset)] + 1;
        mRunStart[at(offset)] = byte;
        setLiteral(offset, keptLiteralCost(offset, byte, bits, previousStart, copyEnd));
    }

    // The cost of the literal kept for a run at offset starting at byte
    // whose last run was previousStart..copyEnd, or kNever.
    int keptLiteralCost(int offset, int byte, int bits, int previousStart, int copyEnd) {
        if (copyEnd < 0)
            return kNever;
        const int length = byte - copyEnd;
        const int literalBits = 1 + eliasBits(static_cast<unsigned>(length)) + 8 * length;
        const int worthless = mBestCost[at(byte)] + bits + kLiteralByteBits;
        // The stream's start, as a copy from offset 1 ending before the first byte.
        if (copyEnd == 0) {
            mKept[at(offset)] = {length, -1, 0, 0, Kind::Start};
            return literalBits - 1 < worthless ? literalBits - 1 : kNever;
        }
        // No copy from the offset ending there costs less than the cheapest
        // copy found there, of which it was one.
        if (mCopyCost[at(copyEnd)] + literalBits >= worthless)
            return kNever;
        Node copy = copyEndingAt(offset, bits, previousStart, copyEnd, mLiteralCost[at(offset)]);
        if (copy.cost + literalBits >= worthless)
            return kNever;
        // A "last offset" copy needs the literal before it among the nodes
        // before that literal's place is taken.
        if (copy.kind == Kind::LastOffset)
            copy.previous = literalNode(offset);
        mKept[at(offset)] = {length, copy.cost, copy.previous, copy.length, copy.kind};
        return copy.cost + literalBits;
    }

    void setLiteral(int offset, int cost) {
        mLiteralCost[at(offset)] = cost;
        const std::uint64_t bit = std::uint64_t{1} << (offset % 64);
        if (cost < kNever)
            mLive[at(offset / 64)] |= bit;
        else
            mLive[at(offset / 64)] &= ~bit;
    }

    // The literal kept at offset among the nodes, with the copy before it.
    int literalNode(int offset) {
        const KeptLiteral& kept = mKept[at(offset)];
        const int copyNode = kept.copyKind == Kind::Start
                                 ? kept.copyPrevious
                                 : keep({kept.copyCost, kept.copyPrevious, offset, kept.copyLength, kept.copyKind});
        return keep({mLiteralCost[at(offset)], copyNode, 0, kept.length, Kind::Literal});
    }

    // The cheapest copy from offset of a run of repeats from start to end:
    // the whole run after its kept literal (of literalCost, or kNever; its
    // node is left for the caller), or any end of it two or more bytes long
    // with a new offset (of bits, as in startRun).
    Node copyEndingAt(int offset, int bits, int start, int end, int literalCost) const {
        Node copy{kNever, -1, offset, 0, Kind::LastOffset};
        if (literalCost < kNever)
            copy = {literalCost + 1 + eliasBits(static_cast<unsigned>(end - start)), -1, offset, end - start,
                    Kind::LastOffset};
        if (end - start >= 2) {
            const auto [length, startCost] = cheapestStart(end, end - start);
            if (startCost + 1 + bits < copy.cost)
                copy = {startCost + 1 + bits, mBestNode[at(end - length)], offset, length, Kind::NewOffset};
        }
        return copy;
    }

    // The length 2..longest of a new-offset copy ending at end whose start
    // costs least with its length code, and that cost. Lengths whose codes
    // are as long, 2^k + 1 .. 2^(k+1), are one range of starts.
    std::pair<int, int> cheapestStart(int end, int longest) const {
        if (longest <= kShortCopy && end > mShortEnd - kShortEnds)
            return mShortStarts[at(end % kShortEnds)][at(longest)];
        std::pair<int, int> cheapest{0, kNever};
        for (int k = 0; (1 << k) < longest; ++k) {
            const int shortest = std::max(2, (1 << k) + 1);
            const int longer = std::min(longest, 1 << (k + 1));
            // A few starts are read directly: most runs are short.
            int start = end - longer;
            if (longer - shortest < 4) {
                for (int other = start + 1; other <= end - shortest; ++other)
                    if (mBestCost[at(other)] < mBestCost[at(start)])
                        start = other;
            } else {
                start = mBest.cheapest(end - longer, end - shortest);
            }
            const int cost = mBestCost[at(start)] + 2 * k + 1;
            if (cost < cheapest.second)
                cheapest = {end - start, cost};
        }
        return cheapest;
    }

    int keep(const Node& node) {
        return mNodes.add(node);
    }

    // The best parse up to end: its best copy, or a literal run after the
    // best copy at any earlier end (each literal length class a window).
    void settle(int end) {
        int literalCost = kNever;
        int literalFrom = -1;
        for (std::size_t k = 0; k < mLiteralWindows.size(); ++k) {
            const int shortest = 1 << k;
            SlidingMinimum& window = mLiteralWindows[k];
            const int from = end - shortest;
            if (from >= 0 && mCopyCost[at(from)] < kNever)
                window.add(from, mCopyCost[at(from)] - 8 * from);
            window.dropBefore(end - 2 * shortest + 1);
            if (window.empty())
                continue;
            const auto [start, key] = window.minimum();
            const int cost = key + 8 * end + 1 + 2 * static_cast<int>(k) + 1;
            if (cost < literalCost) {
                literalCost = cost;
                literalFrom = start;
            }
        }
        if (mCopyCost[at(end)] <= literalCost) {
            mBestCost[at(end)] = mCopyCost[at(end)];
            mBestNode[at(end)] = mCopyNode[at(end)];
        } else {
            mBestCost[at(end)] = literalCost;
            mBestNode[at(end)] = keep({literalCost, mCopyNode[at(literalFrom)], 0, end - literalFrom, Kind::Literal});
        }
        mBest.append(mBestCost[at(end)]);
    }

    // cheapestStart(end, longest) for every longest up to kShortCopy, kept
    // for the last kShortEnds ends: most runs that end are short, and many
    // end at the same byte. Worked as cheapestStart does: the cheapest of
    // each length class, the longest of equal cost, then the first class.
    void noteShortStarts(int end) {
        mShortEnd = end;
        std::array<std::pair<int, int>, kShortCopy + 1>& starts = mShortStarts[at(end % kShortEnds)];
        std::array<std::pair<int, int>, 4> classes;
        classes.fill({0, kNever});
        starts[0] = starts[1] = {0, kNever};
        for (int longest = 2; longest <= kShortCopy; ++longest) {
            const int k = static_cast<int>(std::bit_width(static_cast<unsigned>(longest - 1))) - 1;
            std::pair<int, int>& cheapest = classes[at(k)];
            if (longest <= end && mBestCost[at(end - longest)] + 2 * k + 1 <= cheapest.second)
                cheapest = {longest, mBestCost[at(end - longest)] + 2 * k + 1};
            starts[at(longest)] = classes[0];
            for (int other = 1; other <= k; ++other)
                if (classes[at(other)].second < starts[at(longest)].second)
                    starts[at(longest)] = classes[at(other)];
        }
    }

    std::span<const std::uint8_t> mData;
    int mSize;
    NodeStore mNodes;
    static constexpr int kShortCopy = 16;
    static constexpr int kShortEnds = 256;
    std::vector<std::array<std::pair<int, int>, kShortCopy + 1>> mShortStarts =
        std::vector<std::array<std::pair<int, int>, kShortCopy + 1>>(kShortEnds);
    // The last end noted; ends from kShortEnds before it up to it are kept.
    int mShortEnd = 0;
    // Per offset: its run of repeats (first and last byte; the last is -2
    // before the first run) and the cost of its kept literal, or kNever.
    std::vector<int> mRunStart, mRunLast, mLiteralCost;
    std::vector<KeptLiteral> mKept;
    // Per byte value, where it is in the data as bits, the last byte first,
    // then kZx0MaxOffset + 64 bits of none: a byte's repeats are a window.
    std::array<std::vector<std::uint64_t>, 256> mPlacesOf;
    // The offsets at which this byte and the one before repeat an earlier
    // byte (words 0..mRepeatWords - 1 in use); the offsets whose kept
    // literal may still pay; per offset class, the offsets whose runs going
    // on started earliest, and that start.
    std::vector<std::uint64_t> mRepeats = std::vector<std::uint64_t>(kOffsetWords),
                               mRepeatsBefore = std::vector<std::uint64_t>(kOffsetWords);
    OffsetSet mLive{}, mLongest{};
    // Whether runs get a kept literal at every offset only while they are
    // few (see kFollowedRunsPerByte); how many runs have had theirs worked
    // out so far; the offsets followed past that.
    bool mBounded;
    long mFollowedRuns = 0;
    OffsetSet mFollowed{};
    int mRepeatWords = 0;
    std::array<int, kOffsetClassEnds.size()> mLongestStart{};
    // Per position 0..size: the best parse up to it, and the best ending in a copy.
    std::vector<int> mBestCost, mBestNode, mCopyCost, mCopyNode;
    std::vector<SlidingMinimum> mLiteralWindows;
    // mBestCost as it grows, for the cheapest start of a copy.
    RangeMinimum mBest;
    // The stretch of one byte value the current byte ends, from its first
    // byte; per offset 1, 2, .. into it, the cost of its run's kept literal.
    int mStretchStart = 0;
    RangeMinimum mStretchLiterals;
};

// Writes bytes and bits interleaved as the format reads them.
class StreamWriter {
public:
    void bit(unsigned value) {
        if (mBacktrack) {
            mBacktrack = false;
            mOut.back() = static_cast<std::uint8_t>(mOut.back() | value);
            return;
        }
        if (mMask == 0) {
            mBitsAt = mOut.size();
            mOut.push_back(0);
            mMask = 0x80;
        }
        if (value)
            mOut[mBitsAt] = static_cast<std::uint8_t>(mOut[mBitsAt] | mMask);
        mMask >>= 1;
    }
    void byte(std::uint8_t value) { mOut.push_back(value); }
    // The LSB byte of an offset; the next bit goes to its bit 0.
    void offsetByte(std::uint8_t value) {
        byte(value);
        mBacktrack = true;
    }
    void elias(unsigned value, bool invert = false) {
        for (int k = static_cast<int>(std::bit_width(value)) - 2; k >= 0; --k) {
            bit(0);
            bit(((value >> k) & 1u) ^ (invert ? 1u : 0u));
        }
        bit(1);
    }
    std::vector<std::uint8_t> take() { return std::move(mOut); }

private:
    std::vector<std::uint8_t> mOut;
    std::size_t mBitsAt = 0;
    unsigned mMask = 0;
    bool mBacktrack = false;
};

} // namespace

std::vector<std::uint8_t> Zx0_Compress(std::span<const std::uint8_t> data, Zx0Version version, Zx0Search search) {
    if (data.empty())
        throw Exception("ZX0 cannot hold empty data: its first block is a literal of at least one byte");
    const bool invertMsb = version == Zx0Version::Current;
    StreamWriter out;
    std::size_t position = 0;
    bool first = true;
    for (const Node& block : Parser(data, search).blocks()) {
        const auto length = static_cast<unsigned>(block.length);
        switch (block.kind) {
        case Kind::Literal:
            if (!first)
                out.bit(0);
            out.elias(length);
            for (unsigned k = 0; k < length; ++k)
                out.byte(data[position + k]);
            break;
        case Kind::LastOffset:
            out.bit(0);
            out.elias(length);
            break;
        case Kind::NewOffset:
            out.bit(1);
            out.elias(offsetMsb(block.offset), invertMsb);
            out.offsetByte(static_cast<std::uint8_t>((127 - (block.offset - 1) % 128) << 1));
            out.elias(length - 1);
            break;
        case Kind::Start:
            break;
        }
        first = false;
        position += length;
    }
    out.bit(1);
    out.elias(kEndMarker, invertMsb);
    return out.take();
}
