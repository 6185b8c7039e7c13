#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <random>
#include <sstream>

#include "CliOptions.h"
#include "CliRun.h"
#include "CpmDisc.h"
#include "TestFiles.h"
#include "Zx0Decoder.h"

namespace {

// A 320 x 200 PNG: a gradient turned by seed, or random noise (which no
// compression shrinks).
std::string writePicture(const QTemporaryDir& dir, const char* name, int seed, bool noise = false) {
    QImage image(320, 200, QImage::Format_RGB888);
    std::mt19937 random(static_cast<unsigned>(seed));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, noise ? random() & 0xFFFFFF
                                       : qRgb((x * 255 / 320 + seed * 80) % 256, y * 255 / 200, (x + y * seed) % 256));
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path.toStdString();
}

// Each picture is converted as the same options convert it alone, with the
// inks chosen for it (printed before the listing), compressed on the disc
// in the order given, and the listing names what cpmtools reads back.
TEST(CliSlideshow, EachPictureIsItsOwnConversionCompressedOnTheDisc) {
    QTemporaryDir dir;
    const std::vector<std::string> inputs = {writePicture(dir, "a.png", 1), writePicture(dir, "b.png", 2),
                                             writePicture(dir, "c-2.png", 3)};
    const std::string disc = dir.filePath("show.dsk").toStdString();
    std::vector<std::string> arguments = inputs;
    arguments.insert(arguments.end(), {disc, "--mode", "1", "--fit", "stretch", "--dither", "ordered4", "--inks", "auto"});
    const CliRun slideshow = run(arguments);
    ASSERT_EQ(slideshow.status, kCliOk) << slideshow.err;
    std::map<std::string, QByteArray> files = cpmFiles(disc);
    std::string names;
    for (const auto& [name, bytes] : files)
        names += name + " ";
    EXPECT_EQ(names, "a.zx0 b.zx0 c2.zx0 disc.bas show.bin ");
    EXPECT_NE(slideshow.out.find("disc: DISC.BAS, SHOW.BIN, A.ZX0 ("), std::string::npos) << slideshow.out;

    std::istringstream printed(slideshow.out);
    for (const auto& [input, file] : {std::pair{inputs[0], "a.zx0"}, {inputs[1], "b.zx0"}, {inputs[2], "c2.zx0"}}) {
        std::string word, inks, name;
        printed >> word >> inks >> name;
        ASSERT_EQ(word + name, "inks" + input) << slideshow.out;
        const std::string alone = dir.filePath("alone.scr").toStdString();
        ASSERT_EQ(run({input, alone, "--mode", "1", "--fit", "stretch", "--dither", "ordered4", "--inks", inks}).status, kCliOk);
        const QByteArray& bytes = files[file];
        // The AMSDOS header's 128 bytes, its offsets 64-66 the length, then the stream.
        const QByteArray packed = bytes.mid(128, static_cast<std::uint8_t>(bytes[64]) |
                                                     static_cast<std::uint8_t>(bytes[65]) << 8);
        const std::vector<std::uint8_t> screen =
            Zx0_Decompress(std::span(reinterpret_cast<const std::uint8_t*>(packed.constData()),
                                     static_cast<std::size_t>(packed.size())),
                           Zx0Version::Current, 0x4000);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(screen.data()), static_cast<qsizetype>(screen.size())),
                  fileBytes(alone))
            << input;
    }
}

// A slideshow that cannot be made says why with its exit status and
// writes nothing.
struct Refusal {
    const char* name;
    std::vector<std::string> extra; // arguments after the three good inputs
    int status;
    const char* told;               // in the message
};

class CliSlideshowRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(CliSlideshowRefusal, ExitsWithItsStatusNamingTheCauseAndWritesNothing) {
    QTemporaryDir dir;
    std::vector<std::string> arguments = {writePicture(dir, "a.png", 1), writePicture(dir, "b.png", 2),
                                          writePicture(dir, "c.png", 3)};
    const QString bad = dir.filePath("bad.png");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
    file.close();
    const std::string noise = writePicture(dir, "noise.png", 4, true);
    std::string output = dir.filePath("show.dsk").toStdString();
    for (std::string argument : GetParam().extra) {
        if (argument == "BAD")
            argument = bad.toStdString();
        else if (argument == "NOISE")
            argument = noise;
        else if (argument.starts_with("OUT"))
            output = argument = dir.filePath(QString::fromStdString(argument.substr(3))).toStdString();
        arguments.push_back(argument);
    }
    if (output.ends_with("show.dsk"))
        arguments.push_back(output);
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    EXPECT_NE(result.err.find(GetParam().told), std::string::npos) << result.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

INSTANTIATE_TEST_SUITE_P(
    Each, CliSlideshowRefusal,
    testing::Values(Refusal{"UnreadableInput", {"BAD"}, kCliFailed, "bad.png"},
                    Refusal{"TooLargeForTheDisc",
                            {"--dither", "none", "NOISE", "NOISE", "NOISE", "NOISE", "NOISE", "NOISE", "NOISE",
                             "NOISE", "NOISE", "NOISE", "NOISE", "NOISE"},
                            kCliUnsuitablePicture, "a data disc holds"},
                    Refusal{"NotADisc", {"OUTshow.scr"}, kCliBadUsage, "must end in \"dsk\""},
                    Refusal{"FullScreen", {"--screen", "overscan"}, kCliBadUsage, "&A600"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
