#include "GifFrame.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "SysUtils.h"

namespace {

// Header: signature (6 bytes); logical screen: width (2), height (2),
// flags (1: bit 7 a global colour table follows, bits 0-2 its size),
// background colour (1), pixel aspect (1).
constexpr qsizetype kScreenFlagsAt = 10;
constexpr qsizetype kHeaderBytes = 13;
// Block introducers.
constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
// Image descriptor after its introducer: left (2), top (2), width (2),
// height (2), flags (1: bit 7 a local colour table follows, bits 0-2 its size).
constexpr qsizetype kImageWidthAt = 4;
constexpr qsizetype kImageHeightAt = 6;
constexpr qsizetype kImageFlagsAt = 8;
constexpr qsizetype kImageDescriptorBytes = 9;
constexpr std::uint8_t kColourTableFlag = 0x80;

std::uint16_t little16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

// Bytes of the colour table flags announce: 3 for each of 2^(size + 1) colours.
qsizetype colourTableBytes(std::uint8_t flags) {
    return flags & kColourTableFlag ? 3 * (qsizetype{2} << (flags & 7)) : 0;
}

// LZW codes are at most 12 bits wide, so a table holds at most 4096 strings.
constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

// Counts the pixels a GIF frame's LZW codes stand for, up to `wanted`,
// without keeping them: the table holds each string's length only, so
// memory stays at 4096 entries whatever the frame's size. Fed the data
// bytes in order; stops at the end-of-information code or at a code the
// table does not hold yet, as a decoder must.
class LzwPixelCounter {
  public:
    LzwPixelCounter(int minimumCodeBits, long long wanted)
        : mClear(1 << minimumCodeBits), mMinimumBits(minimumCodeBits), mWanted(wanted) {
        restart();
    }

    bool done() const { return mEnded || mPixels >= mWanted; }
    long long pixels() const { return mPixels; }

    void feed(std::uint8_t byte) {
        mBits |= static_cast<std::uint32_t>(byte) << mBitCount;
        mBitCount += 8;
        while (!done() && mBitCount >= mCodeBits) {
            const int code = static_cast<int>(mBits & ((1u << mCodeBits) - 1));
            mBits >>= mCodeBits;
            mBitCount -= mCodeBits;
            take(code);
        }
    }

  private:
    void restart() {
        mCodeBits = mMinimumBits + 1;
        mNext = mClear + 2;
        mPrevious = -1;
    }

    int lengthOf(int code) const { return code < mClear ? 1 : mLengths[code]; }

    void take(int code) {
        if (code == mClear)
            return restart();
        if (code == mClear + 1 || code > mNext || (mPrevious < 0 && code >= mClear)) {
            mEnded = true;
            return;
        }
        // A code not in the table yet (code == mNext) stands for the previous string plus its first pixel.
        mPixels += code == mNext ? lengthOf(mPrevious) + 1 : lengthOf(code);
        if (mPrevious >= 0 && mNext < kMaxCodes) {
            mLengths[mNext] = lengthOf(mPrevious) + 1;
            if (++mNext == 1 << mCodeBits && mCodeBits < kMaxCodeBits)
                ++mCodeBits;
        }
        mPrevious = code;
    }

    const int mClear;       // the clear code; the end-of-information code follows it
    const int mMinimumBits; // the stream's minimum code size
    const long long mWanted;
    std::array<int, kMaxCodes> mLengths{}; // pixels each string code stands for
    int mCodeBits = 0, mNext = 0, mPrevious = -1;
    std::uint32_t mBits = 0;
    int mBitCount = 0;
    long long mPixels = 0;
    bool mEnded = false;
};

} // namespace

void checkGifFirstFrameWhole(const QByteArray& gif, const std::string& what) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(gif.constData());
    const qsizetype size = gif.size();
    if (size < kHeaderBytes)
        return;
    const auto cutShort = [&] { throw Exception("damaged " + what + " (its data is cut short)"); };
    // Each data sub-block: its length (1 byte, 0 ends the run), then its bytes.
    const auto passSubBlocks = [&](qsizetype at, LzwPixelCounter* counter) {
        while (true) {
            if (at >= size)
                cutShort();
            const qsizetype length = bytes[at++];
            if (length == 0)
                return at;
            for (qsizetype i = at; counter && i < std::min(at + length, size) && !counter->done(); ++i)
                counter->feed(bytes[i]);
            at += length;
        }
    };
    qsizetype at = kHeaderBytes + colourTableBytes(bytes[kScreenFlagsAt]);
    while (true) {
        if (at >= size)
            cutShort();
        const std::uint8_t introducer = bytes[at];
        if (introducer == kExtension) {
            at = passSubBlocks(at + 2, nullptr); // after the introducer and the extension's label
        } else if (introducer == kImage) {
            if (size - at < 1 + kImageDescriptorBytes)
                cutShort();
            const long long pixels = static_cast<long long>(little16(bytes + at + 1 + kImageWidthAt)) *
                                     little16(bytes + at + 1 + kImageHeightAt);
            // After the descriptor and its colour table: the LZW minimum code size (1 byte), then the data.
            at += 1 + kImageDescriptorBytes + colourTableBytes(bytes[at + 1 + kImageFlagsAt]);
            if (at >= size)
                cutShort();
            const int minimumCodeBits = bytes[at++];
            if (minimumCodeBits < 1 || minimumCodeBits >= kMaxCodeBits) {
                passSubBlocks(at, nullptr); // a code size GIF does not have: the decoder says what it is
                return;
            }
            // The codes may end (with their end code) before the frame's last pixel while the blocks are whole.
            LzwPixelCounter counter(minimumCodeBits, pixels);
            passSubBlocks(at, &counter);
            if (counter.pixels() < pixels)
                cutShort();
            return;
        } else {
            return; // the trailer before any frame, or no block at all: the decoder says what it is
        }
    }
}
