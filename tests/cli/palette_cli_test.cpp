#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <set>
#include <sstream>

#include "CliOptions.h"
#include "CliRun.h"
#include "CpcPalette.h"

namespace {

std::string gradient(const QTemporaryDir& dir) {
    QImage image(80, 60, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 79, y * 255 / 59, (x * y) % 256));
    const QString path = dir.filePath("in.png");
    EXPECT_TRUE(image.save(path));
    return path.toStdString();
}

} // namespace

// Each refusal names what is wrong, exits with 2 and writes nothing.
TEST(CliPalette, RefusesInksAndOutputsThePaletteCannotTake) {
    QTemporaryDir dir;
    const std::string in = gradient(dir);
    const auto out = [&](const char* name) { return dir.filePath(name).toStdString(); };
    struct Case {
        std::vector<std::string> arguments;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {{in, out("o.png"), "--palette", "plus", "--inks", "27,000,000,000"}, "'27' is not a CPC+ colour"},
        {{in, out("o.png"), "--palette", "plus", "--inks", "G00,000,000,000"}, "'G00' is not a CPC+ colour"},
        {{in, out("o.png"), "--inks", "F80,0,0,1"}, "add --palette plus"},
        {{in, out("o.png"), "--palette", "plus", "--inks", "000,F80"}, "--inks takes four colours of three"},
        {{in, out("o.pal"), "--palette", "plus"}, "\"kit\" palette file"},
        {{in, out("o.asm"), "--palette", "plus"}, "CPC colour number"},
        {{in, out("o.png"), "--palette", "amstrad"}, "--palette takes cpc"},
    };
    for (const Case& c : cases) {
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, kCliBadUsage) << c.mentions;
        EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"in.png"}) << "nothing written";
}

// Automatic CPC+ inks are printed as --inks takes them, and the result holds
// those colours and no others; given again, they make the same picture.
TEST(CliPalette, PrintsPlusInksInTheirOwnFormAndConvertsWithThem) {
    QTemporaryDir dir;
    const std::string in = gradient(dir), first = dir.filePath("a.png").toStdString(),
                      again = dir.filePath("b.png").toStdString();
    const CliRun chosen = run({in, first, "--mode", "0", "--palette", "plus", "--inks", "auto", "--dither", "none"});
    ASSERT_EQ(chosen.status, kCliOk) << chosen.err;
    ASSERT_EQ(chosen.out.rfind("inks ", 0), 0u) << chosen.out;
    const std::string inks = chosen.out.substr(5, chosen.out.find('\n') - 5);
    std::set<int> printed;
    std::stringstream list(inks);
    for (std::string text; std::getline(list, text, ',');)
        printed.insert(Palette_Colour_From_Text(Palette_Of(TPalette::Plus), text));
    std::set<int> shown;
    const QImage result(QString::fromStdString(first));
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            shown.insert(Palette_Colour_Of(Palette_Of(TPalette::Plus), {static_cast<std::uint8_t>(qRed(p)),
                                                                        static_cast<std::uint8_t>(qGreen(p)),
                                                                        static_cast<std::uint8_t>(qBlue(p))}));
        }
    EXPECT_FALSE(shown.count(-1));
    EXPECT_TRUE(std::includes(printed.begin(), printed.end(), shown.begin(), shown.end()));
    EXPECT_EQ(run({in, again, "--mode", "0", "--palette", "plus", "--inks", inks, "--dither", "none"}).status, kCliOk);
    EXPECT_EQ(QImage(QString::fromStdString(again)), result);
}

// CPC+ inks reach a 6128 Plus: a kit file holds them in the ASIC's order (red
// and blue, then green), and a disc and a snapshot are written for them.
TEST(CliPalette, WritesPlusInksToKitDiscAndSnapshot) {
    QTemporaryDir dir;
    const std::string in = gradient(dir);
    const std::vector<std::string> plusInks = {"--palette", "plus", "--inks", "000,F80,0F0,FFF", "--fit", "stretch"};
    for (const char* name : {"o.kit", "o.dsk", "o.sna"}) {
        std::vector<std::string> arguments = {in, dir.filePath(name).toStdString()};
        arguments.insert(arguments.end(), plusInks.begin(), plusInks.end());
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, kCliOk) << name << ": " << result.err;
    }
    QFile kit(dir.filePath("o.kit"));
    ASSERT_TRUE(kit.open(QIODevice::ReadOnly));
    const QByteArray bytes = kit.readAll();
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(bytes.left(8), QByteArray::fromHex("0000f008000fff0f"));
}
