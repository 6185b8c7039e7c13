#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <sstream>
#include <tuple>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "CliOptions.h"
#include "CliRun.h"
#include "AmsdosHeader.h"
#include "CpcExport.h"
#include "CpcSnapshot.h"
#include "CpmDisc.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "InkChoice.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "PictureBuilder.h"
#include "RawSprite.h"
#include "TestFiles.h"
#include "Zx0Encoder.h"

using namespace testing_pictures;

namespace {

// A photograph-like gradient saved as a 24-bit BMP.
std::string writeInput(const QTemporaryDir& dir, int width, int height, const char* name = "in.bmp") {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 255) / width, (y * 255) / height, ((x + y) * 7) % 256));
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path.toStdString();
}

} // namespace

TEST(CliConvert, ScreenFileOf320x200MatchesTheEngine) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    const std::string out = dir.filePath("out.scr").toStdString();
    const CliRun result = run({in, out, "--inks", "0,6,24,26", "--brightness", "40", "--local", "3000"});
    ASSERT_EQ(result.status, kCliOk) << result.err;
    const QByteArray written = fileBytes(out);
    ASSERT_EQ(written.size(), kScreenBytes);

    TPicture source, map, picture;
    source.LoadFromFile(in);
    Local_Contrast_Map(source, map);
    InkTable inks;
    for (int k = 0; k < 4; ++k)
        Set_Ink_From_Text(inks, k, std::to_string(std::vector<int>{0, 6, 24, 26}[static_cast<std::size_t>(k)]));
    CPC_Mode1_Dither(source, picture, map, inks, 40, 0, 3000);
    std::unique_ptr<std::uint8_t[]> packed, screen;
    CPC_Mode1_Convert(picture, packed, inks);
    CPC_Screen_Layout(packed.get(), screen);
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(screen.get()), kScreenBytes));
}

TEST(CliConvert, BmpOutputIsTheDitheredResultAtTheInputSize) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 33, 17);
    const std::string out = dir.filePath("out.bmp").toStdString();
    ASSERT_EQ(run({in, out, "--stretch", "--contrast", "-50"}).status, kCliOk);
    TPicture source, map, expected, written;
    source.LoadFromFile(in);
    Stretch_Palette(&source);
    Local_Contrast_Map(source, map);
    InkTable inks;
    Reset_Ink_Table(inks);
    CPC_Mode1_Dither(source, expected, map, inks, 0, -50, 0);
    written.LoadFromFile(out);
    written.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(rows(written), rows(expected));
}

// A PNG of another size, fitted first: the screen file is what the engine
// makes of the fitted picture, in every mode.
TEST(CliConvert, FitBringsThePictureToTheScreenBeforeConverting) {
    QTemporaryDir dir;
    const std::string bmp = writeInput(dir, 500, 130);
    const QString png = dir.filePath("in.png");
    ASSERT_TRUE(QImage(QString::fromStdString(bmp)).save(png, "PNG"));
    InkTable inks;
    Reset_Ink_Table(inks);
    for (auto [name, mode] : {std::pair{"crop", TFitMode::Crop}, {"pad", TFitMode::Pad}, {"stretch", TFitMode::Stretch}}) {
        SCOPED_TRACE(name);
        const std::string out = dir.filePath(QString("out-%1.scr").arg(name)).toStdString();
        const CliRun result = run({png.toStdString(), out, "--fit", name});
        ASSERT_EQ(result.status, kCliOk) << result.err;
        TPicture loaded, source, map, picture;
        loaded.LoadFromFile(bmp);
        Fit_To_Screen(loaded, source, mode);
        Local_Contrast_Map(source, map);
        CPC_Mode1_Dither(source, picture, map, inks, 0, 0, 0);
        std::unique_ptr<std::uint8_t[]> packed, screen;
        CPC_Mode1_Convert(picture, packed, inks);
        CPC_Screen_Layout(packed.get(), screen);
        EXPECT_EQ(fileBytes(out), QByteArray(reinterpret_cast<const char*>(screen.get()), kScreenBytes));
    }
}

// The crop window where --crop-at puts it: the engine's crop at that position.
TEST(CliConvert, CropAtPlacesTheCropWindow) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 200, 400);
    InkTable inks;
    Reset_Ink_Table(inks);
    for (const auto& [text, at] : {std::pair{"0,0", TCropPosition{0, 0}}, {"1,0.25", TCropPosition{1, 0.25}}}) {
        SCOPED_TRACE(text);
        const std::string out = dir.filePath("out.bmp").toStdString();
        const CliRun result = run({in, out, "--fit", "crop", "--crop-at", text});
        ASSERT_EQ(result.status, kCliOk) << result.err;
        TPicture loaded, source, map, expected, written;
        loaded.LoadFromFile(in);
        Fit_To_Screen(loaded, source, TFitMode::Crop, Screen_Mode(kDefaultScreenMode), at);
        Local_Contrast_Map(source, map);
        CPC_Mode1_Dither(source, expected, map, inks, 0, 0, 0);
        written.LoadFromFile(out);
        written.SetPixelFormat(TPixelFormat::pf24bit);
        EXPECT_EQ(rows(written), rows(expected));
    }
}

TEST(CliConvert, WrongSizeForAScreenFileExitsWith3AndWritesNothing) {
    QTemporaryDir dir;
    for (auto [w, h] : {std::pair{320, 199}, {321, 200}})
        for (const char* name : {"out.scr", "out.dsk", "out.zx0", "out.sna"}) {
            const std::string in = writeInput(dir, w, h);
            const std::string out = dir.filePath(name).toStdString();
            const CliRun result = run({in, out});
            EXPECT_EQ(result.status, kCliUnsuitablePicture) << name;
            EXPECT_EQ(result.err, "tintora-cli: " + in + " is " + std::to_string(w) + " x " + std::to_string(h) +
                                      "; a screen file and a disc image need 320 x 200: add --fit crop, pad or "
                                      "stretch\n");
            EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
        }
    const std::string in = writeInput(dir, 320, 200);
    const std::string out = dir.filePath("out.dat").toStdString();
    const CliRun result = run({in, out, "--amsdos", "--load", "&C181"});
    EXPECT_EQ(result.status, kCliUnsuitablePicture) << "16000 bytes from &C181 pass the end of memory";
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
}

// What the engine makes of the input with the inks and the sliders at 0.
TPicture engineResult(const std::string& in, const InkTable& inks) {
    TPicture source, map, result;
    source.LoadFromFile(in);
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, inks, 0, 0, 0);
    return result;
}

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

TEST(CliConvert, EachEndingWritesWhatTheEngineMakes) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    InkTable inks;
    Reset_Ink_Table(inks);
    const TPicture r = engineResult(in, inks);
    const struct {
        const char* output;
        std::vector<std::string> options;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"out.dat", {}, Raw_Sprite(r, inks)},
        {"out.dat", {"--amsdos", "--load", "&c180", "--name", "s"}, Sprite_File_With_Header(r, inks, "S", 0xC180)},
        {"My pal-2.pal", {"--amsdos"}, Palette_File_With_Header(inks, "MYPAL2")},
        {"out.scr", {"--amsdos", "--name", "Title"}, Screen_File_With_Header(r, inks, "TITLE")},
        {"out.zx0", {}, Zx0_Compress(Screen_File_Bytes(r, inks))},
        {"out.zx0",
         {"--zx0-classic", "--amsdos", "--load", "&1000"},
         With_Amsdos_Header({"OUT", "ZX0", 0x1000}, Zx0_Compress(Screen_File_Bytes(r, inks), Zx0Version::Classic))},
        {"out.sna", {}, Cpc_Snapshot(Standard_Snapshot_Screen(Screen_File_Bytes(r, inks), Ink_List_Of(inks), Screen_Mode(1)))},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {in, dir.filePath(c.output).toStdString()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run(arguments).status, kCliOk) << c.output;
        EXPECT_EQ(fileBytes(arguments[1]), bytesOf(c.bytes)) << c.output << " with " << c.options.size() << " options";
    }
    const std::string png = dir.filePath("out.png").toStdString(), disc = dir.filePath("out.dsk").toStdString();
    ASSERT_EQ(run({in, png}).status, kCliOk);
    const CliRun made = run({in, disc, "--name", "Pic 1"});
    ASSERT_EQ(made.status, kCliOk);
    EXPECT_EQ(made.out, "disc: PIC1.SCR, PIC1.PAL, DISC.BAS; 159 KB free\n") << "what the disc holds";
    TPicture back;
    back.Assign(QImage(QString::fromStdString(png), "PNG").convertToFormat(QImage::Format_BGR888));
    EXPECT_EQ(rows(back), rows(r));
    EXPECT_EQ(cpmFiles(disc).at("pic1.scr"), bytesOf(Screen_File_With_Header(r, inks, "PIC1")));
}

TEST(CliArguments, LoadAddressIsHexadecimalOrDecimal) {
    for (const auto& [text, address] : {std::pair{"&C180", 0xC180}, {"&c180", 0xC180}, {"0x8000", 0x8000}, {"32768", 0x8000},
                                        {"016384", 0x4000}, {"&00004000", 0x4000}, {"#4000", 0x4000}})
        EXPECT_EQ(Parse_Cli_Options({"in.bmp", "o.dat", "--amsdos", "--load", text}).loadAddress, address) << text;
}

// One rule for every number: leading zeros anywhere, a sign only where the
// range has negative values (the refusals are in the table below).
TEST(CliArguments, NumbersTakeLeadingZerosAndSignsWhereNegativeValuesExist) {
    const CliOptions options = Parse_Cli_Options({"in.bmp", "o.bmp", "--contrast", "+5", "--brightness", "-007",
                                                  "--local", "00300", "--inks", "00,01,02,026"});
    EXPECT_EQ(std::tuple(options.contrast, options.brightness, options.local), std::tuple(5, -7, 300));
    EXPECT_EQ(options.keptInks, (std::vector<int>{0, 1, 2, 26}));
}

// Repeated inks are accepted with a one-line note; "auto" inks are not repeats.
TEST(CliArguments, RepeatedInksConvertWithANote) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 8, 8), out = dir.filePath("o.bmp").toStdString();
    for (const auto& [inks, note] : {std::pair{"0,0,0,0", "tintora-cli: note: --inks gives colour 0 more than once"},
                                     {"3,1,26,1", "tintora-cli: note: --inks gives colour 1 more than once"},
                                     {"0,auto,auto,1", ""}, {"0,1,2,3", ""}}) {
        const CliRun result = run({in, out, "--inks", inks});
        EXPECT_EQ(result.status, kCliOk) << inks;
        EXPECT_EQ(result.err.substr(0, std::string(note).size()), note) << inks;
        EXPECT_EQ(result.err.find('\n'), *note ? result.err.size() - 1 : std::string::npos) << result.err;
    }
}

// The same file behind another name, a hard link or a symbolic link is
// refused before it is read: exit 2, the picture untouched.
TEST(CliFiles, SameFileInAndOutIsRefusedUntouched) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200, "s.png");
    const QByteArray before = fileBytes(in);
    const std::string hard = dir.filePath("hard.png").toStdString(), soft = dir.filePath("soft.png").toStdString();
    ASSERT_EQ(::link(in.c_str(), hard.c_str()), 0);
    ASSERT_EQ(::symlink(in.c_str(), soft.c_str()), 0);
    for (const std::string& out : {in, hard, soft, dir.filePath("./s.png").toStdString()}) {
        const CliRun result = run({in, out});
        EXPECT_EQ(result.status, kCliBadUsage) << out;
        EXPECT_EQ(result.err.rfind("tintora-cli: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("are the same file"), std::string::npos) << result.err;
    }
    EXPECT_EQ(fileBytes(in), before);
}

TEST(CliConvert, AutoInksPrintTheChoiceThenConvertWithIt) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 40, 30);
    const std::string out = dir.filePath("auto.bmp").toStdString();
    constexpr int A = kChooseInk;
    struct Case {
        const char* inks;
        InkNumbers kept;
    };
    for (const Case& c : {Case{"auto", {A, A, A, A}}, Case{"0,auto,auto,26", {0, A, A, 26}}}) {
        const CliRun result = run({in, out, "--inks", c.inks, "--brightness", "30"});
        ASSERT_EQ(result.status, kCliOk) << result.err;
        TPicture source, map, expected, written;
        source.LoadFromFile(in);
        Local_Contrast_Map(source, map);
        const InkNumbers chosen = Choose_Inks(Ink_Search_Cells_Of(source, map, 30, 0, 0), c.kept, {}).numbers;
        std::ostringstream line;
        line << "inks " << chosen[0] << ',' << chosen[1] << ',' << chosen[2] << ',' << chosen[3] << '\n';
        EXPECT_EQ(result.out, line.str()) << c.inks;
        CPC_Mode1_Dither(source, expected, map, Inks_Of_Numbers(chosen), 30, 0, 0);
        written.LoadFromFile(out);
        written.SetPixelFormat(TPixelFormat::pf24bit);
        EXPECT_EQ(rows(written), rows(expected)) << c.inks;
    }
}

TEST(CliArguments, BadArgumentsNameTheArgumentAndExitWith2) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 8, 8);
    const std::string out = dir.filePath("o.bmp").toStdString();
    struct Case {
        std::vector<std::string> arguments;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {{in, out, "--brightness", "551"}, "--brightness must be from -550 to 550"},
        {{in, out, "--contrast", "x"}, "--contrast takes a whole number from -370 to 370"},
        {{in, out, "--local", "-20001"}, "--local must be from -20000 to 20000"},
        {{in, out, "--inks", "0,1,2"}, "--inks takes four colour numbers"},
        {{in, out, "--inks", "0,1,2,27"}, "ink 3"},
        {{in, out, "--inks"}, "--inks needs a value"},
        {{in, out, "--sharpen"}, "unknown option --sharpen"},
        {{in}, "expected an input picture file and an output file, got 1 file name ("},
        {{in, dir.path().toStdString()}, "is a folder"},
        {{in, out, "--fit", "crop", "--crop-at", "-0,0"}, "--crop-at takes two numbers from 0 to 1"},
        {{in, out, "--fit", "wide"}, "--fit takes crop, pad or stretch, not 'wide'"},
        {{in, out, "--screen", "wide"}, "--screen takes standard or overscan, not 'wide'"},
        {{in, out, "--fit", "crop", "--crop-at", "0.5"}, "--crop-at takes two numbers from 0 to 1"},
        {{in, out, "--fit", "crop", "--crop-at", "0.5,1.5"}, "--crop-at takes two numbers from 0 to 1"},
        {{in, out, "--fit", "crop", "--crop-at", ",0"}, "--crop-at takes two numbers from 0 to 1"},
        {{in, out, "--fit", "pad", "--crop-at", "0,0"}, "it needs --fit crop"},
        {{in, dir.filePath("o.SCR").toStdString()}, "must end in \"bmp\""},
        {{in, dir.filePath("o.txt").toStdString()}, "must end in \"bmp\""},
        {{in, out, "--amsdos"}, "--amsdos adds a header"},
        {{in, dir.filePath("o.sna").toStdString(), "--amsdos"}, "--amsdos adds a header"},
        {{in, dir.filePath("o.scr").toStdString(), "--zx0-classic"}, "--zx0-classic writes"},
        {{in, dir.filePath("o.zx0").toStdString(), "--pack", "zx0"}, "--pack zx0 compresses the picture on a disc"},
        {{in, dir.filePath("o.dsk").toStdString(), "--pack", "lz4"}, "--pack takes zx0"},
        {{in, dir.filePath("o.dat").toStdString(), "--load", "&4000"}, "--load sets where"},
        {{in, dir.filePath("o.dat").toStdString(), "--amsdos", "--load", "&10000"}, "--load takes an address"},
        {{in, dir.filePath("o.dat").toStdString(), "--amsdos", "--load", "4OOO"}, "--load takes an address"},
        {{in, dir.filePath("o.dat").toStdString(), "--amsdos", "--load", "+100"}, "--load takes an address"},
        {{in, out, "--inks", "+1,2,3,4"}, "--inks (ink 0) takes a whole number"},
        {{in, out, "--name", "PIC"}, "--name names the file"},
        {{in, dir.filePath("o.dsk").toStdString(), "--name", "_-_"}, "no letters or digits"},
        {{in, dir.filePath("_.dsk").toStdString()}, "no letters or digits"},
        {{in, dir.filePath("o.dsk").toStdString(), "--mode", "0,1"}, "--mode takes one mode for one picture"},
        {{in, out, "--mode", "1,"}, "--mode (picture 2) takes a whole number"},
    };
    for (const Case& c : cases) {
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, kCliBadUsage) << c.mentions;
        EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"in.bmp"}) << "nothing written";
}

TEST(CliArguments, BadInputFileExitsWith1AndWritesNothing) {
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.bmp");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("BM this is not a picture");
    file.close();
    const QString tiff = dir.filePath("header.tif");
    QFile tiffFile(tiff);
    ASSERT_TRUE(tiffFile.open(QIODevice::WriteOnly));
    tiffFile.write(QByteArray("II*\0\x08\0\0\0", 8)); // a header whose directory lies past the end
    tiffFile.close();
    const std::string out = dir.filePath("out.bmp").toStdString();
    // Each reason names the file, then the fault in plain words, on one line.
    for (const auto& [in, reason] : {std::pair{bad.toStdString(), std::string()},
                                     {dir.filePath("missing.bmp").toStdString(), std::string()},
                                     {tiff.toStdString(), std::string("it is a damaged TIFF picture: a directory "
                                                                      "lies past the end of the file")}}) {
        const CliRun result = run({in, out});
        EXPECT_EQ(result.status, kCliFailed);
        EXPECT_NE(result.err.find(in), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(reason + "\n"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
}

TEST(CliProgram, RunsEndToEndAsAProcess) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    QProcess process;
    process.start(TINTORA_CLI_PATH, {QString::fromStdString(in), dir.filePath("p.scr")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath("p.scr")).size(), kScreenBytes);

    process.start(TINTORA_CLI_PATH, {"--help"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().contains("--inks N,N,..."));
}

// Pipes and devices, directly or behind a link, are neither read nor
// replaced: the node is still there afterwards, and the message names it.
TEST(CliFiles, PipesAndDevicesAreRefusedAndLeftInPlace) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    const std::string pipe = dir.filePath("pipe.bmp").toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A device node of our own (the null device's numbers), so a fault
    // could never touch the system's /dev; making one needs root.
    const std::string device = dir.filePath("device.scr").toStdString();
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const std::string deviceLink = dir.filePath("link.bmp").toStdString();
    ASSERT_EQ(::symlink(haveDevice ? device.c_str() : "/dev/zero", deviceLink.c_str()), 0);
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        const std::string& node;
        bool device;
        const char* kind;
    };
    std::vector<Case> cases = {
        {"pipe as output", {in, pipe}, pipe, false, "a named pipe"},
        {"pipe as input", {pipe, dir.filePath("out1.bmp").toStdString()}, pipe, false, "a named pipe"},
        {"link to a device as input", {deviceLink, dir.filePath("out2.bmp").toStdString()}, deviceLink, true,
         "a character device"},
    };
    if (haveDevice) {
        cases.push_back({"device as output", {in, device}, device, true, "a character device"});
        cases.push_back({"link to a device as output", {in, deviceLink}, deviceLink, true, "a character device"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, kCliFailed);
        EXPECT_NE(result.err.find(c.node), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.kind), std::string::npos) << result.err;
        struct stat status {};
        ASSERT_EQ(::stat(c.node.c_str(), &status), 0);
        EXPECT_TRUE(c.device ? S_ISCHR(status.st_mode) : S_ISFIFO(status.st_mode)) << "the node is still there";
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), haveDevice ? 4 : 3)
        << "nothing else written";
}

TEST(CliModes, AutoInksInModeZeroPrintAllSixteenThenConvertWithThem) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 40, 30);
    const std::string out = dir.filePath("auto.bmp").toStdString();
    std::vector<int> kept(16, kChooseInk);
    kept.front() = 0;
    kept.back() = 26;
    const CliRun result = run({in, out, "--mode", "0", "--dither", "diffusion", "--brightness", "30", "--inks",
                               "0,auto,auto,auto,auto,auto,auto,auto,auto,auto,auto,auto,auto,auto,auto,26"});
    ASSERT_EQ(result.status, kCliOk) << result.err;
    TPicture source, map, expected, written;
    source.LoadFromFile(in);
    Local_Contrast_Map(source, map);
    const ScreenMode& mode = Screen_Mode(0);
    const std::vector<int> chosen =
        Choose_Mode_Inks(source, map, kept, TDither::Diffusion, mode, 30, 0, 0, {}).numbers;
    std::string line = "inks ";
    InkList inks;
    for (const int number : chosen) {
        line += std::to_string(number) + (inks.size() + 1 < 16 ? "," : "\n");
        inks.push_back(Ink_From_Colour_Number(number));
    }
    EXPECT_EQ(result.out, line);
    EXPECT_EQ(chosen.front(), 0);
    EXPECT_EQ(chosen.back(), 26);
    Mode_Dither(TDither::Diffusion, source, expected, map, inks, 30, 0, 0, mode);
    written.LoadFromFile(out);
    written.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(rows(written), rows(expected));
}

// The result picture holds one pixel per CPC pixel of the mode, and the
// screen file is that picture packed; scr needs the mode's own screen size.
TEST(CliModes, EachModeFitsItsScreenAndItsScreenFileIsItsResult) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    for (const ScreenMode& mode : kScreenModes) {
        const std::string m = std::to_string(mode.number);
        const std::string bmp = dir.filePath(QString::fromStdString("m" + m + ".bmp")).toStdString();
        const std::string scr = dir.filePath(QString::fromStdString("m" + m + ".scr")).toStdString();
        const CliRun unfit = run({in, scr, "--mode", m});
        EXPECT_EQ(unfit.status, mode.width == 320 ? kCliOk : kCliUnsuitablePicture) << unfit.err;
        for (const std::string& out : {bmp, scr})
            ASSERT_EQ(run({in, out, "--mode", m, "--fit", "pad", "--dither", "ordered4"}).status, kCliOk) << out;
        TPicture result;
        result.LoadFromFile(bmp);
        ASSERT_EQ(result.GetWidth(), mode.width);
        ASSERT_EQ(result.GetHeight(), mode.height);
        EXPECT_EQ(fileBytes(scr), bytesOf(Mode_Screen_File_Bytes(result, Start_Inks(mode), mode))) << "mode " << m;
    }
}

TEST(CliArguments, ModeDitherAndTheModesCountOfInksAreChecked) {
    for (const auto& [arguments, mentions] :
         {std::pair{std::vector<std::string>{"--mode", "3"}, "--mode must be from 0 to 2"},
          {{"--dither", "fs"}, "--dither takes classic, ordered2"},
          {{"--mode", "2", "--inks", "0,1,2,3"}, "--inks takes two colour numbers"},
          {{"--mode", "0", "--inks", "0,1,2,3"}, "--inks takes 16 colour numbers"}}) {
        std::vector<std::string> all = {"in.bmp", "out.bmp"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const CliRun result = run(all);
        EXPECT_EQ(result.status, kCliBadUsage) << mentions;
        EXPECT_NE(result.err.find(mentions), std::string::npos) << result.err;
    }
}

TEST(CliScreens, EachModeFillsTheFullScreenAndItsScreenFileIsItsResult) {
    QTemporaryDir dir;
    const std::string in = writeInput(dir, 320, 200);
    const ScreenGeometry& screen = Screen_Geometry(TScreen::Overscan);
    for (const ScreenMode& standard : kScreenModes) {
        const ScreenMode mode = Mode_On_Screen(standard, screen);
        const std::string m = std::to_string(mode.number);
        const std::string png = dir.filePath(QString::fromStdString("m" + m + ".png")).toStdString();
        const std::string scr = dir.filePath(QString::fromStdString("m" + m + ".scr")).toStdString();
        const CliRun unfit = run({in, scr, "--mode", m, "--screen", "overscan"});
        EXPECT_EQ(unfit.status, kCliUnsuitablePicture);
        EXPECT_EQ(unfit.err, "tintora-cli: " + in + " is 320 x 200; a full-screen mode " + m + " picture needs " +
                                 std::to_string(mode.width) + " x 272: add --fit crop, pad or stretch\n");
        for (const std::string& out : {png, scr})
            ASSERT_EQ(run({in, out, "--mode", m, "--screen", "overscan", "--fit", "crop"}).status, kCliOk) << out;
        TPicture result;
        result.LoadFromFile(png);
        ASSERT_EQ(result.GetWidth(), mode.width);
        ASSERT_EQ(result.GetHeight(), mode.height);
        EXPECT_EQ(fileBytes(scr), bytesOf(Mode_Screen_File_Bytes(result, Start_Inks(mode), mode, screen)))
            << "mode " << m;
    }
}
