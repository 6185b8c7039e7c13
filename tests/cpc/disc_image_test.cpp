#include <gtest/gtest.h>

#include <QDir>

#include "BasicLoader.h"
#include "CpcDataDisc.h"
#include "CpcExport.h"
#include "CpmDisc.h"
#include "DiscImage.h"
#include "Engine.h"
#include "PictureBuilder.h"
#include "RawFile.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

// A file as it comes off the disc: its last record filled with &1A.
QByteArray onDisc(const std::vector<std::uint8_t>& bytes) {
    QByteArray padded(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    padded.append(static_cast<qsizetype>((128 - bytes.size() % 128) % 128), '\x1A');
    return padded;
}

// A 320 x 200 result whose pixels take the four inks in turn along a diagonal.
TPicture fourInkScreen(const InkTable& inks) {
    TPicture picture = filled(kScreenWidth, kScreenHeight, 0, 0, 0);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const Ink& ink = inks[static_cast<std::size_t>((x / 3 + y) % 4)];
            setPixel(picture, x, y, ink.b, ink.g, ink.r);
        }
    return picture;
}

const InkTable kInks = {Ink_From_Colour_Number(1), Ink_From_Colour_Number(6), Ink_From_Colour_Number(24),
                        Ink_From_Colour_Number(26)};

} // namespace

TEST(PictureDisc, CpmtoolsReadsTheScreenThePaletteAndTheLoader) {
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    const TPicture result = fourInkScreen(kInks);
    Save_Picture_Disc(result, kInks, "PIC", image);

    EXPECT_TRUE(fileBytes(image).startsWith("EXTENDED CPC DSK File\r\nDisk-Info\r\n"));
    const std::string loader = "10 MODE 1:BORDER 1\r\n"
                               "20 INK 0,1:INK 1,6:INK 2,24:INK 3,26\r\n"
                               "30 LOAD\"PIC.SCR\",&C000\r\n"
                               "40 CALL &BB18\r\n";
    const std::map<std::string, QByteArray> expected = {
        {"pic.scr", onDisc(Screen_File_With_Header(result, kInks, "PIC"))},
        {"pic.pal", onDisc(Palette_File_With_Header(kInks, "PIC"))},
        {"disc.bas", onDisc({loader.begin(), loader.end()})},
    };
    EXPECT_EQ(cpmFiles(image), expected);
    EXPECT_EQ(expected.at("pic.scr").size(), 16512) << "129 records: two directory entries";
}

struct DiscCase {
    const char* name;
    std::vector<DiscFile> files;
};

class DiscFileSets : public ::testing::TestWithParam<DiscCase> {};

TEST_P(DiscFileSets, ReadBackWholeUpToTheDiscsLimits) {
    QTemporaryDir folder;
    const std::string image = folder.filePath("set.dsk").toStdString();
    Write_Disc_Image(Cpc_Data_Disc(GetParam().files), image);
    std::map<std::string, QByteArray> expected;
    for (const DiscFile& file : GetParam().files)
        expected[QString::fromStdString(file.name + "." + file.extension).toLower().toStdString()] = onDisc(file.data);
    EXPECT_EQ(cpmFiles(image), expected);
}

std::vector<DiscFile> numberedFiles(int count, std::size_t bytes) {
    std::vector<DiscFile> files;
    for (int i = 0; i < count; ++i) {
        std::vector<std::uint8_t> data(bytes);
        for (std::size_t b = 0; b < bytes; ++b)
            data[b] = static_cast<std::uint8_t>(b * 7 + static_cast<std::size_t>(i));
        files.push_back({"F" + std::to_string(i), "BIN", data});
    }
    return files;
}

INSTANTIATE_TEST_SUITE_P(, DiscFileSets,
                         ::testing::Values(DiscCase{"OneFileFillingTheDisc", numberedFiles(1, 178 * 1024)},
                                           DiscCase{"FullDirectory", numberedFiles(64, 1)},
                                           DiscCase{"ExactlyOneExtent", numberedFiles(2, 16384)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PictureDisc, RefusalsAndFailedWritesLeaveNothingBehind) {
    EXPECT_THROW(Cpc_Data_Disc(numberedFiles(1, 178 * 1024 + 1)), Exception) << "one byte more than the disc";
    EXPECT_THROW(Cpc_Data_Disc(numberedFiles(65, 1)), Exception) << "one entry more than the directory";

    QTemporaryDir folder, temporary;
    const QByteArray previousTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.path().toLocal8Bit()); // where LibDsk's image is made
    const TPicture result = fourInkScreen(kInks);
    const std::string missing = folder.filePath("no such folder/x.dsk").toStdString();
    try {
        Save_Picture_Disc(result, kInks, "X", missing);
        ADD_FAILURE() << "a disc was written into a missing folder";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
    const std::string existing = folder.filePath("old.dsk").toStdString();
    writeFile(existing, QByteArray(300, 'o'));
    SetFileWriteLimitForTesting(100);
    EXPECT_THROW(Save_Picture_Disc(result, kInks, "X", existing), Exception);
    SetFileWriteLimitForTesting(-1);
    qputenv("TMPDIR", previousTemporary);

    EXPECT_EQ(fileBytes(existing), QByteArray(300, 'o'));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"old.dsk"});
    EXPECT_TRUE(QDir(temporary.path()).isEmpty()) << "the image made by LibDsk is gone";
}
