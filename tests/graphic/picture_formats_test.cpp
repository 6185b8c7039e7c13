#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "BmpCorpus.h"
#include "Engine.h"
#include "PictureBuilder.h"
#include "TestFiles.h"

using namespace bmp_corpus;
using testing_pictures::rows;

namespace {

// The file is named without an ending: the loader goes by the contents.
class OtherFormat : public ::testing::TestWithParam<FormatCase> {
  protected:
    TPicture load(const Bytes& bytes) const {
        const std::string name = mDir.filePath("picture").toStdString();
        writeFile(name, bytes);
        TPicture picture;
        picture.LoadFromFile(name);
        return picture;
    }
    static TPicture dithered(TPicture& source) {
        TPicture map, result;
        InkTable inks;
        Reset_Ink_Table(inks);
        Local_Contrast_Map(source, map);
        CPC_Mode1_Dither(source, result, map, inks, 30, -20, 5000);
        return result;
    }
    QTemporaryDir mDir;
};

TEST_P(OtherFormat, ConvertsLikeTheSamePixelsInABmp) {
    TPicture same;
    same.Assign(sixColours());
    same.SetPixelFormat(TPixelFormat::pf24bit);
    same.SaveToFile(mDir.filePath("same.bmp").toStdString());
    TPicture bmp;
    bmp.LoadFromFile(mDir.filePath("same.bmp").toStdString());
    TPicture loaded = load(GetParam().file);
    EXPECT_EQ(loaded.GetPixelFormat(), TPixelFormat::pf24bit);
    ASSERT_EQ(loaded.GetWidth(), 3);
    ASSERT_EQ(loaded.GetHeight(), 2);
    if (!GetParam().exact)
        return; // a lossy format: only the size is the file's
    EXPECT_EQ(rows(loaded), rows(bmp));
    EXPECT_EQ(rows(dithered(loaded)), rows(dithered(bmp)));
}

TEST_P(OtherFormat, TransparentPixelsLieOverBlack) {
    if (GetParam().halfSeen.empty())
        GTEST_SKIP() << "no transparency in this format";
    const TPicture loaded = load(GetParam().halfSeen);
    EXPECT_EQ(testing_pictures::pixel(loaded, 0, 0), (Bytes{0, 0, 0}));
    if (GetParam().name != "Gif") { // a GIF pixel is either seen or not
        const Bytes half = testing_pictures::pixel(loaded, 1, 0);
        EXPECT_EQ(half[0], 0);
        EXPECT_NEAR(half[1], 128, 1);
        EXPECT_EQ(half[2], 0);
    }
    EXPECT_EQ(testing_pictures::pixel(loaded, 2, 1), (Bytes{32, 64, 128})) << "opaque pixels unchanged";
}

INSTANTIATE_TEST_SUITE_P(Formats, OtherFormat, ::testing::ValuesIn(otherFormatCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
