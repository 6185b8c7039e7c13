#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <sstream>

#include "CliOptions.h"
#include "CliRun.h"
#include "ModePacking.h"
#include "SpriteDescription.h"
#include "TestFiles.h"

namespace {

// Runs program with arguments; its standard output, or a failure naming its errors.
QByteArray runTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    EXPECT_TRUE(tool.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(tool.exitCode(), 0) << program.toStdString() << ": " << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
}

// A sheet whose pixel (x, y) is colours[(x / 3 + y / 2) % count], in channel
// values 0, 128 and 255 as drawing programs write CPC colours.
std::string writeSheet(const QTemporaryDir& dir, int width, int height, const std::vector<QRgb>& colours) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[static_cast<std::size_t>(x / 3 + y / 2) % colours.size()]);
    const QString path = dir.filePath("sheet.png");
    EXPECT_TRUE(image.save(path, "PNG"));
    return path.toStdString();
}

const std::vector<QRgb> kSheetColours = {qRgb(255, 255, 0), qRgb(0, 0, 128), qRgb(255, 0, 0), qRgb(0, 255, 128)};

} // namespace

// The assembler source assembles to the binary's bytes, and the C header,
// compiled as C and as C++ without a warning, holds them too.
TEST(CliSprites, SourcesAssembleAndCompileToTheBinaryBytes) {
    const std::vector<std::vector<std::string>> settings = {
        {"--mode", "0", "--sprite", "8x4", "--transparent", "3", "--rows", "zigzag", "--cells", "3"},
        {"--mode", "2", "--sprite", "16x8", "--dither", "diffusion"},
        {"--inks", "auto", "--dither", "none", "--name", "tiles"},
        {"--name", "int"},
    };
    QTemporaryDir dir;
    const std::string in = writeSheet(dir, 32, 16, kSheetColours);
    const QString program = dir.filePath("dump.c");
    for (const auto& options : settings) {
        std::vector<std::string> arguments = {in, ""};
        arguments.insert(arguments.end(), options.begin(), options.end());
        for (const char* ending : {"bin", "asm", ".h"}) {
            arguments[1] = dir.filePath(QString("out") + (ending[0] == '.' ? "" : ".") + ending).toStdString();
            ASSERT_EQ(run(arguments).status, kCliOk) << arguments[1];
        }
        const QByteArray binary = fileBytes(dir.filePath("out.bin").toStdString());
        runTool(PASMO_PATH, {dir.filePath("out.asm"), dir.filePath("assembled.bin")});
        EXPECT_EQ(fileBytes(dir.filePath("assembled.bin").toStdString()), binary) << options[1];

        const auto named = std::find(options.begin(), options.end(), "--name");
        const std::string name = Sprite_Symbol_Of(named == options.end() ? "out" : *(named + 1));
        writeFile(program.toStdString(),
                  QByteArray::fromStdString("#include <stdio.h>\n#include \"out.h\"\n#include \"out.h\"\n"
                                            "int main(void) { return fwrite(" + name + ", 1, sizeof " + name +
                                            ", stdout) == sizeof " + name + " ? 0 : 1; }\n"));
        for (const auto& [compiler, language] : {std::pair{C_COMPILER_PATH, "c"}, std::pair{CXX_COMPILER_PATH, "c++"}}) {
            const QString executable = dir.filePath(QString("dump-") + language);
            runTool(compiler, {"-Wall", "-Wextra", "-pedantic", "-Werror", "-x", language, program, "-o", executable});
            EXPECT_EQ(runTool(executable, {}), binary) << options[1] << " as " << language;
        }
    }
}

// A sheet drawn in CPC colours, with automatic inks and no dither, keeps its
// colours as inks in order of first appearance and its pixels exactly.
TEST(CliSprites, PixelArtSheetComesOutExactlyInItsOwnColours) {
    QTemporaryDir dir;
    for (const int modeNumber : {0, 1, 2}) {
        const ScreenMode& mode = Screen_Mode(modeNumber);
        const std::vector<QRgb> colours(kSheetColours.begin(),
                                        kSheetColours.begin() + std::min<int>(mode.inkCount, 4));
        const std::string in = writeSheet(dir, 48, 6, colours);
        const std::string out = dir.filePath("sheet.bin").toStdString();
        const CliRun result =
            run({in, out, "--mode", std::to_string(modeNumber), "--inks", "auto", "--dither", "none"});
        ASSERT_EQ(result.status, kCliOk) << result.err;
        const char* inks = modeNumber == 2 ? "inks 24,1\n" : modeNumber == 1 ? "inks 24,1,6,19\n" : "inks 24,1,6,19,0,2,3,";
        EXPECT_EQ(result.out.rfind(inks, 0), 0u) << result.out;
        const QByteArray bytes = fileBytes(out);
        const QImage sheet(QString::fromStdString(in));
        const int rowBytes = 48 / mode.pixelsPerByte;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 48; ++x) {
                const auto byte = static_cast<std::uint8_t>(bytes.at(y * rowBytes + x / mode.pixelsPerByte));
                const std::size_t ink = static_cast<std::size_t>(Packed_Pixel_Ink(mode, byte, x % mode.pixelsPerByte));
                ASSERT_EQ(colours.at(ink), sheet.pixel(x, y) | 0xFF000000u) << "mode " << modeNumber;
            }
    }
}

TEST(CliSprites, RefusalsExitWith2InOneLineAndWriteNothing) {
    QTemporaryDir dir;
    const std::string in = writeSheet(dir, 32, 16, kSheetColours);
    const std::string out = dir.filePath("o.asm").toStdString();
    const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
        {{in, out, "--sprite", "6x8"}, "must be a multiple of 4"},
        {{in, out, "--sprite", "12x8", "--mode", "2"}, "must be a multiple of 8"},
        {{in, out, "--sprite", "12x8"}, "widths that fit in mode 1 are 4, 8, 16, 32"},
        {{in, out, "--sprite", "16x5"}, "heights 1, 2, 4, 8, 16"},
        {{in, out, "--sprite", "16x8", "--cells", "5"}, "the picture holds only 4"},
        {{in, out, "--transparent", "4"}, "--transparent must be from 0 to 3"},
        {{in, out, "--sprite", "16"}, "--sprite takes a cell size"},
        {{in, out, "--rows", "up"}, "--rows takes down or zigzag"},
        {{in, dir.filePath("o.png").toStdString(), "--sprite", "16x8"}, "for \"asm\", \".h\" and \"bin\" outputs only"},
        {{in, dir.filePath("o.bin").toStdString(), "--amsdos"}, "--amsdos adds a header"},
    };
    for (const auto& [arguments, mentions] : cases) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kCliBadUsage) << mentions;
        EXPECT_NE(result.err.find(mentions), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet.png"}) << "nothing written";
}
