#include "Zx0Decoder.h"

#include <string>

#include "SysUtils.h"

namespace {

// The MSB code's value that marks the end of the stream.
constexpr unsigned kEndMarker = 256;
// No length or MSB a valid stream for the CPC holds comes near 2^24.
constexpr int kMaxCodeBits = 24;

// Reads bytes and bits of a stream in the order the format interleaves them.
class StreamReader {
public:
    explicit StreamReader(std::span<const std::uint8_t> stream) : mStream(stream) {}

    std::uint8_t byte() {
        if (mNext >= mStream.size())
            throw Exception("the ZX0 data ends before its end marker");
        mLastByte = mStream[mNext++];
        return mLastByte;
    }

    // The next bit; right after an LSB byte, that byte's bit 0.
    unsigned bit() {
        if (mBacktrack) {
            mBacktrack = false;
            return mLastByte & 1u;
        }
        mMask >>= 1;
        if (mMask == 0) {
            mMask = 0x80;
            mBits = byte();
        }
        return (mBits & mMask) ? 1u : 0u;
    }

    // An interlaced Elias gamma code; invert flips its value bits.
    unsigned elias(bool invert = false) {
        unsigned value = 1;
        for (int bits = 0; bit() == 0; ++bits) {
            if (bits == kMaxCodeBits)
                throw Exception("the ZX0 data holds a length or offset too large for any CPC file");
            value = (value << 1) | (bit() ^ (invert ? 1u : 0u));
        }
        return value;
    }

    void backtrack() { mBacktrack = true; }
    bool atEnd() const { return mNext == mStream.size(); }

private:
    std::span<const std::uint8_t> mStream;
    std::size_t mNext = 0;
    std::uint8_t mLastByte = 0;
    std::uint8_t mBits = 0;
    unsigned mMask = 0;
    bool mBacktrack = false;
};

} // namespace

std::vector<std::uint8_t> Zx0_Decompress(std::span<const std::uint8_t> stream, Zx0Version version,
                                         std::size_t maxBytes) {
    StreamReader in(stream);
    std::vector<std::uint8_t> out;
    const auto makeRoom = [&](std::size_t length) {
        if (length > maxBytes - out.size())
            throw Exception("the ZX0 data decodes to more than " + std::to_string(maxBytes) + " bytes");
    };
    const auto copy = [&](std::size_t offset, std::size_t length) {
        if (offset > out.size())
            throw Exception("the ZX0 data copies from before its first byte");
        makeRoom(length);
        for (std::size_t k = 0; k < length; ++k)
            out.push_back(out[out.size() - offset]);
    };
    std::size_t lastOffset = 1;
    enum class Block { Literal, LastOffset, NewOffset } next = Block::Literal;
    for (;;) {
        switch (next) {
        case Block::Literal: {
            const std::size_t length = in.elias();
            makeRoom(length);
            for (std::size_t k = 0; k < length; ++k)
                out.push_back(in.byte());
            next = in.bit() ? Block::NewOffset : Block::LastOffset;
            break;
        }
        case Block::LastOffset:
            copy(lastOffset, in.elias());
            next = in.bit() ? Block::NewOffset : Block::Literal;
            break;
        case Block::NewOffset: {
            const unsigned msb = in.elias(version == Zx0Version::Current);
            if (msb == kEndMarker) {
                if (!in.atEnd())
                    throw Exception("the ZX0 data goes on after its end marker");
                return out;
            }
            if (msb > kEndMarker)
                throw Exception("the ZX0 data holds an offset past the largest the format allows");
            lastOffset = msb * 128 - (in.byte() >> 1);
            in.backtrack();
            copy(lastOffset, std::size_t{in.elias()} + 1);
            next = in.bit() ? Block::NewOffset : Block::Literal;
            break;
        }
        }
    }
}
