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

// The run of bytes that repeat at one offset: from start to last (byte
// indices; last is -2 before the first run). literalCost: the cost of a
// literal run kept so that this run can be copied with "last offset", or
// kNever. Every byte looks at the runs of many offsets, so they hold only
// this; the rest of the literal waits in a KeptLiteral.
struct OffsetRun {
    int start = 0;
    int last = -2;
    int literalCost = kNever;
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
// millions, and a growing vector would copy them all again and again.
class NodeStore {
public:
    int add(const Node& node) {
        if (mCount % kBlock == 0)
            mBlocks.emplace_back().reserve(kBlock);
        mBlocks.back().push_back(node);
        return mCount++;
    }
    const Node& operator[](int index) const { return mBlocks[at(index / kBlock)][at(index % kBlock)]; }

private:
    static constexpr int kBlock = 1 << 16;
    static std::size_t at(int index) { return static_cast<std::size_t>(index); }
    std::vector<std::vector<Node>> mBlocks;
    int mCount = 0;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> data)
        : mData(data), mSize(static_cast<int>(data.size())), mRuns(kZx0MaxOffset + 1), mKept(kZx0MaxOffset + 1),
          mBestCost(data.size() + 1, kNever), mBestNode(data.size() + 1, -1), mCopyCost(data.size() + 1, kNever),
          mCopyNode(data.size() + 1, -1), mLiteralWindows(static_cast<std::size_t>(std::bit_width(data.size())) + 1),
          mBest(data.size() + 1), mStretchLiterals(data.size() + 1) {
        mNodes.add({-1, -1, 0, 0, Kind::Start});
        mBestCost[0] = mCopyCost[0] = -1;
        mBestNode[0] = mCopyNode[0] = 0;
        mBest.append(-1);
        // The stream starts with 1 as its last offset, as if a copy from it
        // ended before the first byte.
        mRuns[1].last = -1;
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
        std::size_t offsetClass = 0;
        std::vector<int>& seen = mPositionsOf[mData[at(byte)]];
        for (auto earlier = seen.rbegin() + std::max(within, 0); earlier != seen.rend(); ++earlier) {
            const int offset = byte - *earlier;
            if (offset > kZx0MaxOffset)
                break;
            OffsetRun& run = mRuns[at(offset)];
            while (offset >= kOffsetClassEnds[offsetClass])
                ++offsetClass;
            const int bits = offsetBits(kOffsetClassEnds[offsetClass] - 1);
            if (run.last != byte - 1) {
                // A run one byte long: too short for a new offset.
                startRun(run, offset, byte, bits);
                run.last = byte;
                if (run.literalCost + 1 + eliasBits(1) < best.cost)
                    best = {run.literalCost + 1 + eliasBits(1), -1, offset, 1, Kind::LastOffset};
                continue;
            }
            run.last = byte;
            if (run.start < classStart[offsetClass]) {
                classStart[offsetClass] = run.start;
                classOffset[offsetClass] = offset;
            }
            if (run.literalCost == kNever)
                continue;
            // Past its first byte, a run's literal that costs more above the
            // best parse where it ends than a new offset takes loses to a
            // new-offset copy of the same bytes, here and at the run's end.
            if (run.literalCost > mBestCost[at(run.start)] + bits) {
                run.literalCost = kNever;
                continue;
            }
            const int length = end - run.start;
            const int cost = run.literalCost + 1 + eliasBits(static_cast<unsigned>(length));
            if (cost < best.cost)
                best = {cost, -1, offset, length, Kind::LastOffset};
        }
        seen.push_back(byte);
        if (newest >= 1 && newest <= kZx0MaxOffset)
            mStretchLiterals.append(mRuns[at(newest)].literalCost);
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
            mCopyNode[at(end)] = keep(best);
        }
        settle(end);
    }

    // A stretch of one byte value starts at byte: the runs at the offsets
    // inside the stretch that ended before it are given their last byte,
    // which step left alone while they went on.
    void startStretch(int byte) {
        for (int offset = 1; offset <= std::min(byte - 1 - mStretchStart, kZx0MaxOffset); ++offset)
            mRuns[at(offset)].last = byte - 1;
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
    void startRun(OffsetRun& run, int offset, int byte, int bits) {
        const int previousStart = run.start;
        const int copyEnd = run.last + 1;
        run.start = byte;
        if (run.last < -1) {
            run.literalCost = kNever;
            return;
        }
        const int length = byte - copyEnd;
        const int literalBits = 1 + eliasBits(static_cast<unsigned>(length)) + 8 * length;
        const int worthless = mBestCost[at(byte)] + bits + kLiteralByteBits;
        // The stream's start, as a copy from offset 1 ending before the first byte.
        if (copyEnd == 0) {
            run.literalCost = literalBits - 1 < worthless ? literalBits - 1 : kNever;
            mKept[at(offset)] = {length, -1, 0, 0, Kind::Start};
            return;
        }
        // No copy from the offset ending there costs less than the cheapest
        // copy found there, of which it was one.
        if (mCopyCost[at(copyEnd)] + literalBits >= worthless) {
            run.literalCost = kNever;
            return;
        }
        Node copy = copyEndingAt(offset, bits, previousStart, copyEnd, run.literalCost);
        if (copy.cost + literalBits >= worthless) {
            run.literalCost = kNever;
            return;
        }
        // A "last offset" copy needs the literal before it among the nodes
        // before that literal's place is taken.
        if (copy.kind == Kind::LastOffset)
            copy.previous = literalNode(offset);
        run.literalCost = copy.cost + literalBits;
        mKept[at(offset)] = {length, copy.cost, copy.previous, copy.length, copy.kind};
    }

    // The literal kept at offset among the nodes, with the copy before it.
    int literalNode(int offset) {
        const KeptLiteral& kept = mKept[at(offset)];
        const int copyNode = kept.copyKind == Kind::Start
                                 ? kept.copyPrevious
                                 : keep({kept.copyCost, kept.copyPrevious, offset, kept.copyLength, kept.copyKind});
        return keep({mRuns[at(offset)].literalCost, copyNode, 0, kept.length, Kind::Literal});
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
    std::vector<OffsetRun> mRuns;
    std::vector<KeptLiteral> mKept;
    std::array<std::vector<int>, 256> mPositionsOf;
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

std::vector<std::uint8_t> Zx0_Compress(std::span<const std::uint8_t> data, Zx0Version version) {
    if (data.empty())
        throw Exception("ZX0 cannot hold empty data: its first block is a literal of at least one byte");
    const bool invertMsb = version == Zx0Version::Current;
    StreamWriter out;
    std::size_t position = 0;
    bool first = true;
    for (const Node& block : Parser(data).blocks()) {
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
