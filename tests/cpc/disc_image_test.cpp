#include <gtest/gtest.h>

#include <QDir>

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
    return padded.append(static_cast<qsizetype>((128 - bytes.size() % 128) % 128), '\x1A');
}

const InkTable kInks = {Ink_From_Colour_Number(1), Ink_From_Colour_Number(6), Ink_From_Colour_Number(24),
                        Ink_From_Colour_Number(26)};
// A 320 x 200 result in ink 2 (the order of the blocks is the data disc's test).
TPicture inkScreen() { return filled(kScreenWidth, kScreenHeight, kInks[2].b, kInks[2].g, kInks[2].r); }

} // namespace

TEST(PictureDisc, CpmtoolsReadsTheScreenThePaletteAndTheLoader) {
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    const TPicture result = inkScreen();
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
    EXPECT_EQ(cpmFiles(image), expected) << "the screen's 129 records take two directory entries";
}

// count one-byte files F0.BIN, F1.BIN ... and BIG.BIN of bigBytes bytes, each
// byte telling its file, record and place.
std::vector<DiscFile> filesOf(int count, std::size_t bigBytes) {
    std::vector<DiscFile> files;
    for (int i = 0; i <= count; ++i) {
        std::vector<std::uint8_t> data(i < count ? 1 : bigBytes);
        for (std::size_t b = 0; b < data.size(); ++b)
            data[b] = static_cast<std::uint8_t>(b + b / 128 + static_cast<std::size_t>(i));
        files.push_back({i < count ? QString("F%1").arg(i).toStdString() : "BIG", "BIN", data});
    }
    return files;
}

// 56 entries and blocks for the small files, 8 entries (16 KB each) and 122
// blocks for the big one: the 64 entries and 178 data blocks, all used.
TEST(DataDisc, FillsItsDirectoryAndBlocksExactlyAndRefusesMore) {
    QTemporaryDir folder;
    const std::string image = folder.filePath("full.dsk").toStdString();
    const std::vector<DiscFile> files = filesOf(56, 122 * 1024);
    Write_Disc_Image(Cpc_Data_Disc(files), image);
    std::map<std::string, QByteArray> expected;
    for (const DiscFile& file : files)
        expected[QString::fromStdString(file.name + ".bin").toLower().toStdString()] = onDisc(file.data);
    EXPECT_EQ(cpmFiles(image), expected);
    EXPECT_THROW(Cpc_Data_Disc(filesOf(56, 122 * 1024 + 1)), Exception) << "one byte more than the blocks hold";
    EXPECT_THROW(Cpc_Data_Disc(filesOf(57, 121 * 1024)), Exception) << "one entry more than the directory holds";
}

TEST(PictureDisc, FailedWriteLeavesTheOldFileAndNothingElse) {
    QTemporaryDir folder, temporary;
    const QByteArray previousTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.path().toLocal8Bit()); // where LibDsk's image is made
    const std::string existing = folder.filePath("old.dsk").toStdString();
    writeFile(existing, QByteArray(300, 'o'));
    SetFileWriteLimitForTesting(100);
    try {
        Save_Picture_Disc(inkScreen(), kInks, "X", existing);
        ADD_FAILURE() << "a short write went unnoticed";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(existing), std::string::npos) << error.what();
    }
    SetFileWriteLimitForTesting(-1);
    qputenv("TMPDIR", previousTemporary);
    EXPECT_EQ(fileBytes(existing), QByteArray(300, 'o'));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"old.dsk"});
    EXPECT_TRUE(QDir(temporary.path()).isEmpty()) << "the image made by LibDsk is gone";
}
