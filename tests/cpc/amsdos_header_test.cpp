#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "AmsdosHeader.h"
#include "SysUtils.h"

namespace {

struct HeaderCase {
    const char* name;
    AmsdosFile file;
    std::size_t length;
};

class AmsdosHeaderFields : public ::testing::TestWithParam<HeaderCase> {};

// The fields as the CPC's firmware documents them, read back little-endian.
TEST_P(AmsdosHeaderFields, HoldTheFileAndTheSumOfBytes0To66) {
    const HeaderCase& c = GetParam();
    const std::vector<std::uint8_t> data(c.length, 0xA5);
    const auto bytes = With_Amsdos_Header(c.file, data);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 128, bytes.end()), data) << "the data follows the header";
    const std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + 128);
    const auto little = [&](std::size_t at, int count) {
        unsigned long value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value * 256 + header[at + static_cast<std::size_t>(i)];
        return value;
    };
    EXPECT_EQ(header[0], 0) << "user";
    EXPECT_EQ(std::string(header.begin() + 1, header.begin() + 9), (c.file.name + "        ").substr(0, 8));
    EXPECT_EQ(std::string(header.begin() + 9, header.begin() + 12), (c.file.extension + "   ").substr(0, 3));
    EXPECT_EQ(header[18], 2) << "binary";
    EXPECT_EQ(little(21, 2), static_cast<unsigned long>(c.file.loadAddress));
    EXPECT_EQ(little(24, 2), c.length);
    EXPECT_EQ(little(26, 2), static_cast<unsigned long>(c.file.loadAddress)) << "entry";
    EXPECT_EQ(little(64, 3), c.length);
    EXPECT_EQ(little(67, 2), std::accumulate(header.begin(), header.begin() + 67, 0ul) & 0xFFFF);
    const std::set<std::size_t> named = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 18, 21, 22, 24, 25, 26, 27, 64, 65, 66, 67, 68};
    for (std::size_t i = 0; i < header.size(); ++i)
        EXPECT_TRUE(named.count(i) || header[i] == 0) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(, AmsdosHeaderFields,
                         ::testing::Values(HeaderCase{"Screen", {"PIC", "SCR", 0xC000}, 16384},
                                           HeaderCase{"LongNamePalette", {"ABCDEFGH", "PAL", 0x8809}, 239},
                                           HeaderCase{"SpriteUpToTheLastByte", {"S1", "DAT", 0x4000}, 0xC000},
                                           HeaderCase{"EmptyWithoutExtension", {"E", "", 0}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AmsdosHeader, RefusesFilesOutsideMemoryAndBadNames) {
    const HeaderCase cases[] = {
        {"OneBytePastMemory", {"S", "DAT", 0x4000}, 0xC001}, {"LoadPastMemory", {"S", "DAT", 0x10000}, 0},
        {"WholeMemory", {"S", "DAT", 0}, 0x10000},            {"LowerCaseName", {"pic", "SCR", 0xC000}, 1},
        {"NineCharacters", {"ABCDEFGHI", "SCR", 0}, 1},       {"EmptyName", {"", "SCR", 0}, 1},
    };
    for (const HeaderCase& c : cases)
        EXPECT_THROW(Amsdos_Header(c.file, c.length), Exception) << c.name;
}

TEST(AmsdosName, KeepsTheFirstEightLettersAndDigitsInUpperCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"My_Pic-1", "MYPIC1"}, {"abcdefghijk", "ABCDEFGH"}, {"\xC3\xA9t\xC3\xA9 2", "T2"}, {"0123456789", "01234567"}};
    for (const auto& [wanted, name] : cases)
        EXPECT_EQ(Amsdos_Name(wanted), name) << wanted;
    for (const char* nothing : {"", "___", "\xC3\xA9\xC3\xA9", ". -"})
        EXPECT_THROW(Amsdos_Name(nothing), Exception) << nothing;
    EXPECT_EQ(Amsdos_Name_Of_Path("/tmp/x.y/my pic.v2.dsk"), "MYPICV2") << "folder and last ending dropped";
}

} // namespace
