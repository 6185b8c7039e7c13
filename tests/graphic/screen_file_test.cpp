#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "Engine.h"
#include "PictureBuilder.h"
#include "RawFile.h"
#include "SysUtils.h"
#include "TestFiles.h"

using namespace testing_pictures;

namespace {

const InkTable kInks = {{{0, 0, 0}, {128, 0, 0}, {255, 128, 0}, {255, 255, 255}}};

void paintInk(TPicture& picture, int x, int y, const Ink& ink) { setPixel(picture, x, y, ink.b, ink.g, ink.r); }

TPicture screenInInk0() {
    TPicture picture = filled(kScreenWidth, kScreenHeight, 0, 0, 0);
    return picture;
}

std::vector<std::uint8_t> screenOf(const TPicture& picture, const InkTable& inks) {
    std::unique_ptr<std::uint8_t[]> packed;
    std::unique_ptr<std::uint8_t[]> screen;
    CPC_Mode1_Convert(picture, packed, inks);
    CPC_Screen_Layout(packed.get(), screen);
    return {screen.get(), screen.get() + kScreenBytes};
}

// Records message boxes for the length of a test.
class MessageRecorder {
public:
    MessageRecorder() : mPrevious(SetMessageSink([this](const std::string& text) { messages.push_back(text); })) {}
    ~MessageRecorder() { SetMessageSink(mPrevious); }
    std::vector<std::string> messages;

private:
    TMessageSink mPrevious;
};

} // namespace

TEST(PixelMask, PlacesInkBitsAtMode1Positions) {
    for (int ink = 0; ink < 4; ++ink)
        for (int p = 0; p < 4; ++p) {
            const int expected = ((ink & 1) << (7 - p)) | (((ink >> 1) & 1) << (3 - p));
            EXPECT_EQ(Mode1_Pixel_Mask[ink * 4 + p], expected) << "ink " << ink << " position " << p;
        }
}

TEST(ScreenFile, AllInk0GivesZeroPictureBytes) {
    const auto screen = screenOf(screenInInk0(), kInks);
    for (int b = 0; b < kScreenBytes; ++b)
        ASSERT_EQ(screen[static_cast<std::size_t>(b)], 0) << "byte " << b;
}

TEST(ScreenFile, PacksFourPixelsPerByte) {
    struct Case {
        int x, y, ink;
        int offset;
        std::uint8_t byte;
    };
    const Case cases[] = {
        {0, 0, 3, 0, 0x88},     {0, 0, 1, 0, 0x80},      {0, 0, 2, 0, 0x08},     {319, 0, 3, 79, 0x11},
        {319, 0, 1, 79, 0x10},  {0, 1, 3, 2048, 0x88},   {0, 7, 3, 14336, 0x88}, {0, 8, 3, 80, 0x88},
        {0, 199, 3, 16256, 0x88}, {319, 199, 2, 16335, 0x01}, {5, 0, 1, 1, 0x40},
    };
    for (const Case& c : cases) {
        TPicture picture = screenInInk0();
        paintInk(picture, c.x, c.y, kInks[static_cast<std::size_t>(c.ink)]);
        const auto screen = screenOf(picture, kInks);
        for (int b = 0; b < kScreenBytes; ++b)
            ASSERT_EQ(screen[static_cast<std::size_t>(b)], b == c.offset ? c.byte : 0)
                << "pixel " << c.x << "," << c.y << " ink " << c.ink << " file byte " << b;
    }
}

TEST(ScreenFile, BlockGapsCarryNoPictureData) {
    TPicture picture = filled(kScreenWidth, kScreenHeight, 255, 255, 255);
    const auto screen = screenOf(picture, kInks);
    for (int block = 0; block < 8; ++block)
        for (int i = 0; i < kScreenBlockBytes; ++i)
            ASSERT_EQ(screen[static_cast<std::size_t>(block * kScreenBlockBytes + i)], i < 2000 ? 0xFF : 0x00)
                << "block " << block << " byte " << i;
}

// Inks 2 and 18 (blue, green) share a level: each pixel keeps its own ink
// number, so the screen shows what the result shows. Only an ink repeated
// exactly takes the lower number.
TEST(ScreenFile, InksOfOneLevelKeepTheirOwnNumbers) {
    const InkTable inks = {{Ink_From_Colour_Number(0), Ink_From_Colour_Number(2), Ink_From_Colour_Number(18),
                            Ink_From_Colour_Number(2)}};
    TPicture picture = screenInInk0();
    paintInk(picture, 0, 0, inks[1]);
    paintInk(picture, 1, 0, inks[2]);
    paintInk(picture, 2, 0, inks[3]);
    const auto screen = screenOf(picture, inks);
    EXPECT_EQ(screen[0], 0x80 | 0x04 | 0x20);
}

TEST(ScreenFile, WidthNotAMultipleOfFourPadsWithInk0) {
    TPicture picture = filled(5, 2, 255, 255, 255);
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(picture, packed, kInks);
    const std::vector<std::uint8_t> bytes(packed.get(), packed.get() + 4);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0x88, 0xFF, 0x88}));
}

TEST(ScreenFile, UnmatchedPixelsTakeInk3WithOneNoticePerCall) {
    MessageRecorder recorder;
    TPicture picture = filled(8, 2, 1, 2, 3); // level 6 matches no default ink
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(picture, packed, kInks);
    EXPECT_EQ(recorder.messages, std::vector<std::string>{kConvertBugMessage});
    for (int b = 0; b < 4; ++b)
        EXPECT_EQ(packed[static_cast<std::size_t>(b)], 0xFF);
    CPC_Mode1_Convert(picture, packed, kInks);
    EXPECT_EQ(recorder.messages.size(), 2u);
}

TEST(ScreenFile, MatchesByLevelNotByChannels) {
    // (128, 0, 0) and (0, 0, 128) share a level: the pixel takes ink 1.
    TPicture picture = filled(4, 1, 128, 0, 0);
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(picture, packed, kInks);
    EXPECT_EQ(packed[0], 0xF0);
}

TEST(RawFileWriting, WritesAndReplacesTheNamedFile) {
    QTemporaryDir dir;
    const std::string name = dir.filePath("picture.scr").toStdString();
    const std::vector<std::uint8_t> first(kScreenBytes, 0xAB), second(kScreenBytes, 0x12);
    Write_Raw_File(first.data(), first.size(), name);
    Write_Raw_File(second.data(), second.size(), name);
    const QByteArray bytes = fileBytes(name);
    ASSERT_EQ(bytes.size(), kScreenBytes);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[100]), 0x12);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

TEST(RawFileWriting, FailureNamesTheFileAndKeepsTheOldOne) {
    QTemporaryDir dir;
    const std::string missing = dir.filePath("no/such/folder/x.scr").toStdString();
    const std::vector<std::uint8_t> data(16, 1);
    try {
        Write_Raw_File(data.data(), data.size(), missing);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }

    const std::string existing = dir.filePath("old.scr").toStdString();
    const std::vector<std::uint8_t> old(100, 7);
    Write_Raw_File(old.data(), old.size(), existing);
    SetFileWriteLimitForTesting(10);
    EXPECT_THROW(Write_Raw_File(data.data(), data.size(), existing), Exception);
    SetFileWriteLimitForTesting(-1);
    EXPECT_EQ(fileBytes(existing), QByteArray(100, 7));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}
