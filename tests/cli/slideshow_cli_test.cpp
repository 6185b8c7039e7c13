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

// Each picture is converted as the same options convert it alone in its
// mode, with the inks chosen for it in that mode (printed before the
// listing) or that mode's start inks, compressed on the disc in the order
// given, and the listing names what cpmtools reads back.
struct PictureModes {
    const char* name;
    std::vector<std::string> modes; // --mode's value for the slideshow, then each picture's
    bool autoInks;
};

class CliSlideshow : public testing::TestWithParam<PictureModes> {};

TEST_P(CliSlideshow, EachPictureIsItsOwnConversionInItsModeCompressedOnTheDisc) {
    const PictureModes& c = GetParam();
    QTemporaryDir dir;
    const std::vector<std::string> inputs = {writePicture(dir, "a.png", 1), writePicture(dir, "b.png", 2),
                                             writePicture(dir, "c-2.png", 3)};
    const std::string disc = dir.filePath("show.dsk").toStdString();
    const std::vector<std::string> common = {"--fit", "stretch", "--dither", "ordered4"};
    std::vector<std::string> arguments = inputs;
    arguments.insert(arguments.end(), {disc, "--mode", c.modes[0]});
    arguments.insert(arguments.end(), common.begin(), common.end());
    if (c.autoInks)
        arguments.insert(arguments.end(), {"--inks", "auto"});
    const CliRun slideshow = run(arguments);
    ASSERT_EQ(slideshow.status, kCliOk) << slideshow.err;
    std::map<std::string, QByteArray> files = cpmFiles(disc);
    std::string names;
    for (const auto& [name, bytes] : files)
        names += name + " ";
    EXPECT_EQ(names, "a.zx0 b.zx0 c2.zx0 disc.bas show.bin ");
    EXPECT_NE(slideshow.out.find("disc: DISC.BAS, SHOW.BIN, A.ZX0 ("), std::string::npos) << slideshow.out;

    std::istringstream printed(slideshow.out);
    const char* const onDisc[] = {"a.zx0", "b.zx0", "c2.zx0"};
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const std::string alone = dir.filePath("alone.scr").toStdString();
        std::vector<std::string> own = {inputs[k], alone, "--mode", c.modes[k + 1]};
        own.insert(own.end(), common.begin(), common.end());
        if (c.autoInks) {
            std::string word, inks, name;
            printed >> word >> inks >> name;
            ASSERT_EQ(word + name, "inks" + inputs[k]) << slideshow.out;
            own.insert(own.end(), {"--inks", inks});
        }
        ASSERT_EQ(run(own).status, kCliOk);
        const QByteArray& bytes = files[onDisc[k]];
        // The AMSDOS header's 128 bytes, its offsets 64-66 the length, then the stream.
        const QByteArray packed = bytes.mid(128, static_cast<std::uint8_t>(bytes[64]) |
                                                     static_cast<std::uint8_t>(bytes[65]) << 8);
        const std::vector<std::uint8_t> screen =
            Zx0_Decompress(std::span(reinterpret_cast<const std::uint8_t*>(packed.constData()),
                                     static_cast<std::size_t>(packed.size())),
                           Zx0Version::Current, 0x4000);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(screen.data()), static_cast<qsizetype>(screen.size())),
                  fileBytes(alone))
            << inputs[k];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Each, CliSlideshow,
    testing::Values(PictureModes{"OneModeForAll", {"1", "1", "1", "1"}, true},
                    PictureModes{"ModeForEachPictureInksChosenInIt", {"0,1,2", "0", "1", "2"}, true},
                    PictureModes{"ModeForEachPictureItsStartInks", {"2,0,2", "2", "0", "2"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

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
                    Refusal{"FullScreen", {"--screen", "overscan"}, kCliBadUsage, "&A600"},
                    Refusal{"CpcPlusPalette", {"--palette", "plus"}, kCliBadUsage, "--palette plus cannot"},
                    Refusal{"ModesNotOneForEachPicture", {"--mode", "0,1"}, kCliBadUsage, "2 modes for 3 pictures"},
                    Refusal{"InksOfOneModeForSeveral", {"--mode", "0,1,1", "--inks", "auto,0"}, kCliBadUsage,
                            "gives the inks of one mode"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
