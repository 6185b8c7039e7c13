#include <gtest/gtest.h>

#include <random>

#include "CpcBench.h"
#include "CpcDataDisc.h"
#include "CpmDisc.h"
#include "SlideshowDisc.h"
#include "Zx0Encoder.h"

namespace {

// A second of the CPC's 4 MHz Z80: the viewer must unpack and show a picture within it.
constexpr std::uint64_t kShowBound = 4'000'000;
constexpr int kSpaceLine = 5, kSpaceBit = 7;
constexpr int kScreenFirst = 0xC000, kScreenBytes = 0x4000;

// A screen of random bytes in runs of up to 8, different for each seed.
std::vector<std::uint8_t> randomScreen(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> screen;
    while (screen.size() < kScreenBytes)
        screen.insert(screen.end(), 1 + random() % 8, static_cast<std::uint8_t>(random()));
    screen.resize(kScreenBytes);
    return screen;
}

// RUN"DISC" as the bench runs it, from the files cpmtools reads off the
// disc: each picture in its mode and inks, the next once a key is pressed
// and let go, the first again after the last; between pictures BASIC gets
// back the state it called the viewer in.
TEST(SlideshowDisc, ShowsEachPictureInItsModeAndInksOnAKeyAndWrapsRound) {
    std::vector<SlideshowPicture> pictures;
    std::vector<std::vector<std::uint8_t>> screens;
    for (const int mode : {0, 1, 2}) {
        screens.push_back(randomScreen(static_cast<unsigned>(mode)));
        InkList inks;
        for (int k = 0; k < Screen_Mode(mode).inkCount; ++k)
            inks.push_back(Ink_From_Colour_Number((7 * k + 3 * mode + 1) % kColourCount));
        pictures.push_back({"PIC" + std::to_string(mode), Zx0_Compress(screens.back()), {mode, inks}});
    }
    QTemporaryDir folder;
    const std::string image = folder.filePath("show.dsk").toStdString();
    const std::string listing = Save_Slideshow_Disc(pictures, image);
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::string names, listed; // the names cpmtools gives, and those the listing gives, in its order
    for (const auto& [name, bytes] : cpmFiles(image)) {
        files[name] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        names += name + " ";
        if (QString::fromStdString(listing).contains(QString::fromStdString(name), Qt::CaseInsensitive))
            listed += name + " ";
    }
    EXPECT_EQ(names, "disc.bas pic0.zx0 pic1.zx0 pic2.zx0 show.bin ");
    EXPECT_EQ(listed, names) << listing;

    CpcBench bench;
    BasicRunner basic(bench, std::string(files["disc.bas"].begin(), files["disc.bas"].end()), files);
    using R = CpcBench::Register;
    for (std::size_t shown = 0; shown < pictures.size() + 1; ++shown) {
        const std::size_t k = shown % pictures.size();
        const SlideshowPicture& picture = pictures[k];
        ASSERT_TRUE(basic.runToCall()) << "picture " << shown;
        const int basicAltBc = bench.registerValue(R::AltBC);
        const std::uint64_t called = bench.tStates();
        ASSERT_EQ(bench.run(called + kShowBound, true), CpcBench::Stop::KeyboardRead) << "picture " << shown;
        RecordProperty("TStatesToShowPicture" + std::to_string(shown), std::to_string(bench.tStates() - called));
        EXPECT_TRUE(std::equal(screens[k].begin(), screens[k].end(), bench.memory().begin() + kScreenFirst))
            << "the screen memory of picture " << shown;
        EXPECT_EQ(bench.mode(), picture.inks.mode);
        const ScreenMode& mode = Screen_Mode(picture.inks.mode);
        for (int pen = 0; pen < CpcBench::kPensAndBorder; ++pen) // the border and unused pens: ink 0's
            EXPECT_EQ(bench.colours()[static_cast<std::size_t>(pen)],
                      Hardware_Colour_Byte[Colour_Number_Of_Ink(
                          picture.inks.inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)])] & 0x1F)
                << "picture " << shown << " pen " << pen;

        EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::TimeOut) << "shows it with no key";
        bench.setKey(kSpaceLine, kSpaceBit, true);
        EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::TimeOut) << "waits for the key to go up";
        bench.setKey(kSpaceLine, kSpaceBit, false);
        ASSERT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::Breakpoint) << "returns to BASIC";
        EXPECT_EQ(bench.registerValue(R::SP), BasicRunner::kStackPointer);
        EXPECT_EQ(bench.registerValue(R::AltBC), basicAltBc);
        EXPECT_EQ(bench.registerValue(R::IFF1), 1);
        EXPECT_TRUE(bench.upperRom() && !bench.lowerRom() && bench.mode() == 1) << "BASIC's ROMs and mode";
    }
}

// The pictures that do not fit on the disc are refused with what they need
// and what a disc holds, and nothing is written.
TEST(SlideshowDisc, RefusesPicturesThatDoNotFitOnTheDisc) {
    std::mt19937 random(1);
    std::vector<std::uint8_t> noise(kScreenBytes);
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>(random());
    const SlideshowPicture one{"NOISE", Zx0_Compress(noise), {1, Start_Inks(Screen_Mode(1))}};
    std::vector<SlideshowPicture> pictures;
    QTemporaryDir folder;
    const std::string image = folder.filePath("show.dsk").toStdString();
    for (int k = 0;; ++k) {
        pictures.push_back(one);
        pictures.back().name += std::to_string(k);
        try {
            Save_Slideshow_Disc(pictures, image);
        } catch (const Slideshow_Refusal& refusal) {
            const std::string text = refusal.what();
            const std::string holds = "holds " + std::to_string(kDiscDataBytes / kDiscBlockBytes) + " KB";
            EXPECT_NE(text.find(" need "), std::string::npos) << text;
            EXPECT_NE(text.find(holds), std::string::npos) << text;
            break;
        }
        ASSERT_LT(k, 20) << "noise never fills the disc";
        QFile::remove(QString::fromStdString(image));
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(image)));
}

} // namespace
