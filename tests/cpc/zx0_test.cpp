#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <iostream>
#include <map>
#include <random>

#include "CpcBench.h"
#include "Dithers.h"
#include "LandscapePicture.h"
#include "ModePacking.h"
#include "ScreenGeometry.h"
#include "SysUtils.h"
#include "Zx0Decoder.h"
#include "Zx0Encoder.h"
#include "Zx0Z80Decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kAnySize = 1 << 16;

Bytes randomBytes(std::size_t count, int values, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> value(0, values - 1);
    Bytes bytes(count);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(value(generator));
    return bytes;
}

// The screen memory of the landscape dithered in the mode's start inks (mode 1 by default).
Bytes landscapeScreen(TDither dither, TScreen screen = TScreen::Standard, int modeNumber = 1) {
    const ScreenGeometry& geometry = Screen_Geometry(screen);
    const ScreenMode& mode = Screen_Mode(modeNumber);
    const ScreenMode onScreen = Mode_On_Screen(mode, geometry);
    TPicture source = testing_pictures::landscape(onScreen.width, onScreen.height), result, map;
    const InkList inks = Start_Inks(mode);
    Mode_Dither(dither, source, result, map, inks, 0, 0, 0, mode);
    return Mode_Screen_File_Bytes(result, inks, mode, geometry);
}

struct RoundTrip {
    const char* name;
    Bytes data;
};

class Zx0RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Zx0RoundTrip, DecodesToTheInputInBothVersions) {
    const Bytes& data = GetParam().data;
    for (const Zx0Version version : {Zx0Version::Current, Zx0Version::Classic}) {
        const Bytes packed = Zx0_Compress(data, version);
        EXPECT_EQ(Zx0_Decompress(packed, version, kAnySize), data) << (version == Zx0Version::Classic ? "classic" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    , Zx0RoundTrip,
    ::testing::Values(RoundTrip{"OneByte", {0x5A}}, RoundTrip{"ScreenOfZeros", Bytes(16384, 0)},
                      RoundTrip{"RunsOfEveryLength", [] {
                                    Bytes b;
                                    for (int length = 1; length < 300; ++length)
                                        b.insert(b.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>(length));
                                    return b;
                                }()},
                      RoundTrip{"LongRunsLongerThanTheLargestOffset", [] {
                                    // Stretches of one value broken by short ones, one past kZx0MaxOffset.
                                    Bytes b(kZx0MaxOffset + 900, 0);
                                    for (const int length : {3, 5000, 1, 700, 2, 20000, 4})
                                        b.insert(b.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>(length % 3));
                                    return b;
                                }()},
                      RoundTrip{"RandomScreen", randomBytes(16384, 256, 1)},
                      RoundTrip{"RepeatsAtTheLargestOffsetAndPast", [] {
                                    // 50 bytes again from kZx0MaxOffset back, 50 from further.
                                    Bytes b = randomBytes(kZx0MaxOffset + 60, 256, 2);
                                    b.insert(b.end(), b.begin() + 60, b.begin() + 110);
                                    b.insert(b.end(), b.begin(), b.begin() + 50);
                                    return b;
                                }()},
                      RoundTrip{"OrderedScreen", landscapeScreen(TDither::Ordered4)},
                      RoundTrip{"DiffusionScreen", landscapeScreen(TDither::Diffusion)}),
    [](const auto& info) { return std::string(info.param.name); });

struct HandEncoding {
    const char* name;
    Bytes data;
    Bytes current;
    Bytes classic;
};

class Zx0HandEncoding : public ::testing::TestWithParam<HandEncoding> {};

// Worked bit by bit from the format: "1" literal of 1, then the end marker, a
// new-offset flag 1 and Elias(256), whose eight value bits version 2 inverts.
TEST_P(Zx0HandEncoding, IsTheShortestStream) {
    const HandEncoding& c = GetParam();
    EXPECT_EQ(Zx0_Compress(c.data, Zx0Version::Current), c.current);
    EXPECT_EQ(Zx0_Compress(c.data, Zx0Version::Classic), c.classic);
}

INSTANTIATE_TEST_SUITE_P(
    , Zx0HandEncoding,
    ::testing::Values(
        // literal 1 "A"; end
        HandEncoding{"OneLiteral", {0x41}, {0xD5, 0x41, 0x55, 0x60}, {0xC0, 0x41, 0x00, 0x20}},
        // literal 1 "A"; 0, last offset (1 at the start) Elias(3) = 011; end
        HandEncoding{"RunFromTheFirstOffset", {0x41, 0x41, 0x41, 0x41}, {0x9D, 0x41, 0x55, 0x56}, {0x9C, 0x41, 0x00, 0x02}},
        // literal Elias(2) = 001 "AB"; 1, new offset 2: MSB Elias(1) = 1, LSB
        // (127 - 1) << 1 with Elias(2 - 1) = 1 in its bit 0; end
        HandEncoding{"NewOffset", {0x41, 0x42, 0x41, 0x42}, {0x3D, 0x41, 0x42, 0xFD, 0x55, 0x56},
                     {0x3C, 0x41, 0x42, 0xFD, 0x00, 0x02}}),
    [](const auto& info) { return std::string(info.param.name); });

// Bytes of a dark picture: zeros, a star in every `sparse` bytes on average
// (one of `values` values), and with `echoes` now and then a copy of 1 to 20
// bytes from up to 400 back. Its own generator, the same everywhere.
Bytes darkBytes(std::size_t count, unsigned sparse, unsigned values, bool echoes, unsigned seed) {
    const auto next = [&seed](unsigned below) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % below; };
    Bytes bytes;
    while (bytes.size() < count) {
        if (next(sparse) != 0)
            bytes.push_back(0);
        else if (echoes && bytes.size() > 400 && next(2) == 0)
            for (std::size_t from = bytes.size() - 1 - next(400), k = 0, length = 1 + next(20); k < length; ++k)
                bytes.push_back(bytes[from + k]);
        else
            bytes.push_back(static_cast<std::uint8_t>(1 + next(values)));
    }
    bytes.resize(count);
    return bytes;
}

struct Digests {
    const char* name;
    Bytes data;
    std::uint64_t current, classic;
};

class Zx0SameStream : public ::testing::TestWithParam<Digests> {};

// The encoder's shortcuts leave its streams over every offset as they were,
// bit for bit: the FNV-1a digests are those of the streams of the encoder
// before them. Bounding where it looks costs at most 1 % more.
TEST_P(Zx0SameStream, AsBeforeItsShortcuts) {
    const auto digest = [](const Bytes& bytes) {
        std::uint64_t hash = 0xCBF29CE484222325ULL;
        for (const std::uint8_t byte : bytes)
            hash = (hash ^ byte) * 0x100000001B3ULL;
        return hash;
    };
    const Bytes all = Zx0_Compress(GetParam().data, Zx0Version::Current, Zx0Search::AllOffsets);
    EXPECT_EQ(digest(all), GetParam().current);
    EXPECT_EQ(digest(Zx0_Compress(GetParam().data, Zx0Version::Classic, Zx0Search::AllOffsets)), GetParam().classic);
    EXPECT_LE(100 * Zx0_Compress(GetParam().data).size(), 101 * all.size());
}

INSTANTIATE_TEST_SUITE_P(
    , Zx0SameStream,
    ::testing::Values(
        Digests{"DarkScreen", darkBytes(8192, 6, 3, false, 1), 0xd0638f0af726cf4eULL, 0x2056a64106f925c2ULL},
        Digests{"DarkScreenWithEchoes", darkBytes(6000, 4, 15, true, 2), 0x76009bb2888ddfbaULL, 0x466312eaafe9d3a0ULL},
        Digests{"NoisePastTheLargestOffset", darkBytes(kZx0MaxOffset + 3000, 1, 255, true, 3), 0xc0c3a98c95baf220ULL,
                0x7bb03e6436e6a781ULL},
        Digests{"FewValues", darkBytes(3000, 2, 2, true, 4), 0xb31ee695e5d803c1ULL, 0xffb7c2ba963337caULL},
        Digests{"Noise", darkBytes(2000, 1, 255, true, 5), 0x2d56ddfb34325381ULL, 0xe8f53d530fd337b4ULL}),
    [](const auto& info) { return std::string(info.param.name); });

// Far repeats broken by single bytes, as pixel lines 2048 bytes apart on a
// dark screen, where every zero repeats at too many offsets to follow all:
// the offset a copy used is still followed for "last offset" copies.
TEST(Zx0, FollowsTheFarOffsetsItsCopiesUse) {
    Bytes data = darkBytes(2048, 8, 255, false, 7);
    for (std::size_t at = data.size(); at < 4 * 2048; ++at)
        data.push_back(at % 10 == 0 ? static_cast<std::uint8_t>(data[at - 2048] + 1) : data[at - 2048]);
    EXPECT_LE(100 * Zx0_Compress(data).size(), 101 * Zx0_Compress(data, Zx0Version::Current, Zx0Search::AllOffsets).size());
}

// The fewest bits of any stream of data, by trying every block at every
// place: small data only.
int fewestBits(const Bytes& data) {
    const auto elias = [](int value) { return 2 * static_cast<int>(std::bit_width(static_cast<unsigned>(value))) - 1; };
    const int size = static_cast<int>(data.size());
    const auto repeats = [&](int at, int offset, int length) {
        return std::equal(data.begin() + at, data.begin() + at + length, data.begin() + at - offset);
    };
    std::map<std::tuple<int, int, bool>, int> known;
    std::function<int(int, int, bool)> rest = [&](int at, int offset, bool afterLiteral) {
        if (at == size)
            return 1 + elias(256);
        const auto key = std::make_tuple(at, offset, afterLiteral);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
        int best = 1 << 30;
        for (int length = 1; at + length <= size; ++length) {
            if (!afterLiteral)
                best = std::min(best, 1 + elias(length) + 8 * length + rest(at + length, offset, true));
            if (afterLiteral && at >= offset && repeats(at, offset, length))
                best = std::min(best, 1 + elias(length) + rest(at + length, offset, false));
            for (int other = 1; length >= 2 && other <= at; ++other)
                if (repeats(at, other, length))
                    best = std::min(best, 1 + elias((other - 1) / 128 + 1) + 7 + elias(length - 1) +
                                              rest(at + length, other, false));
        }
        return known[key] = best;
    };
    int best = 1 << 30;
    for (int length = 1; length <= size; ++length)
        best = std::min(best, elias(length) + 8 * length + rest(length, 1, true));
    return best;
}

TEST(Zx0, IsAsShortAsTheBestOfEveryParseOnSmallData) {
    for (unsigned seed = 0; seed < 500; ++seed) {
        const Bytes data = randomBytes(1 + seed % 32, 2 + static_cast<int>(seed % 3), seed);
        EXPECT_EQ(Zx0_Compress(data).size(), static_cast<std::size_t>((fewestBits(data) + 7) / 8)) << "seed " << seed;
    }
    // Data made of runs of one value each, which the encoder takes together.
    for (unsigned seed = 0; seed < 300; ++seed) {
        Bytes data;
        for (const auto value : randomBytes(2 + seed % 4, 3, seed))
            data.insert(data.end(), 1 + (seed * value + seed / 7) % 8, value);
        EXPECT_EQ(Zx0_Compress(data).size(), static_cast<std::size_t>((fewestBits(data) + 7) / 8)) << "runs " << seed;
    }
}

TEST(Zx0, RefusesEmptyData) { EXPECT_THROW(Zx0_Compress({}, Zx0Version::Current), Exception); }

// Hostile streams: every cut of a valid one, and one too long for its room,
// give an error, never a crash or a partial result.
TEST(Zx0, DecoderRefusesCutAndOversizedStreams) {
    const Bytes data = landscapeScreen(TDither::Ordered2);
    const Bytes packed = Zx0_Compress(data, Zx0Version::Current);
    for (std::size_t cut = 0; cut < packed.size(); ++cut)
        EXPECT_THROW(Zx0_Decompress(std::span(packed).first(cut), Zx0Version::Current, kAnySize), Exception) << cut;
    EXPECT_THROW(Zx0_Decompress(packed, Zx0Version::Current, data.size() - 1), Exception);
}

// The calling stub lies at the end of the decoder's room, its stack above it,
// the stream after that. Its last instruction, the one that switches the lower
// ROM in, lies at the top of memory: the next opcode comes from address 0, the
// bench's reset, which stops the run.
constexpr int kStubAddress = kZx0Z80DecoderAddress + kZx0Z80DecoderRoom;
constexpr int kStreamAddress = kStubAddress + 0x80;
constexpr int kLastInstruction = 0xFFFE;
constexpr int kScreenEnd = 0xFFF0;

class Zx0Z80Decoder : public testing::TestWithParam<RoundTrip> {};

// The encoder's stream, decoded by the Z80 below the top of memory, is the
// screen byte for byte; the T-states per byte (the stub's few included) are printed.
TEST_P(Zx0Z80Decoder, DecodesTheEncodersStreamToTheScreen) {
    const Bytes& screen = GetParam().data;
    const Bytes stream = Zx0_Compress(screen);
    const int destination = kScreenEnd - static_cast<int>(screen.size());
    ASSERT_LE(kStreamAddress + static_cast<int>(stream.size()), destination);
    const auto low = [](int word) { return static_cast<std::uint8_t>(word & 0xFF); };
    const auto high = [](int word) { return static_cast<std::uint8_t>(word >> 8); };
    const Bytes stub = {0x31, low(kStreamAddress), high(kStreamAddress),             // ld sp, stream
                        0x01, 0x8D, 0x7F, 0xED, 0x49,                                // both ROMs off
                        0x21, low(kStreamAddress), high(kStreamAddress),             // ld hl, stream
                        0x11, low(destination), high(destination),                   // ld de, screen
                        0xCD, low(kZx0Z80DecoderAddress), high(kZx0Z80DecoderAddress), // call decoder
                        0x01, 0x89, 0x7F,                                            // lower ROM on ...
                        0xC3, low(kLastInstruction), high(kLastInstruction)};        // ... at the top
    const Bytes outC = {0xED, 0x49};
    CpcBench bench;
    bench.load(kStubAddress, stub);
    bench.load(kZx0Z80DecoderAddress, Zx0_Z80_Decoder());
    bench.load(kStreamAddress, stream);
    bench.load(kLastInstruction, outC);
    bench.jumpTo(kStubAddress);
    ASSERT_EQ(bench.run(400ULL * screen.size()), CpcBench::Stop::Reset);
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), bench.memory().begin() + destination));
    std::cout << GetParam().name << ": " << screen.size() << " bytes from " << stream.size()
              << ", " << static_cast<double>(bench.tStates()) / static_cast<double>(screen.size())
              << " T-states per byte\n";
}

INSTANTIATE_TEST_SUITE_P(
    , Zx0Z80Decoder,
    testing::Values(RoundTrip{"StandardRandomBytes", randomBytes(16384, 256, 3)},
                    RoundTrip{"StandardRandomFourValues", randomBytes(16384, 4, 4)},
                    RoundTrip{"OverscanRandomFourValues", randomBytes(32768, 4, 5)},
                    RoundTrip{"OverscanBlack", Bytes(32768, 0)},
                    RoundTrip{"StandardMode1Ordered", landscapeScreen(TDither::Ordered4)},
                    RoundTrip{"StandardMode0Diffused", landscapeScreen(TDither::Diffusion, TScreen::Standard, 0)},
                    RoundTrip{"OverscanMode1Ordered", landscapeScreen(TDither::Ordered4, TScreen::Overscan)},
                    RoundTrip{"OverscanMode2Diffused", landscapeScreen(TDither::Diffusion, TScreen::Overscan, 2)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
