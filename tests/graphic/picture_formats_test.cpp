#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "BmpCorpus.h"
#include "Engine.h"
#include "PictureBuilder.h"
#include "TestFiles.h"

using namespace bmp_corpus;
using testing_pictures::pixel;
using testing_pictures::rows;

namespace {

class OtherFormat : public ::testing::TestWithParam<FormatCase> {
  protected:
    // Named without an ending: the loader goes by the contents.
    TPicture load(const Bytes& bytes, const char* name = "picture") const {
        writeFile(mDir.filePath(name).toStdString(), bytes);
        TPicture picture;
        picture.LoadFromFile(mDir.filePath(name).toStdString());
        return picture;
    }
    static Bytes dithered(TPicture& source) {
        TPicture map, result;
        InkTable inks;
        Reset_Ink_Table(inks);
        Local_Contrast_Map(source, map);
        CPC_Mode1_Dither(source, result, map, inks, 30, -20, 5000);
        return rows(result);
    }
    QTemporaryDir mDir;
};

TEST_P(OtherFormat, ConvertsLikeTheSamePixelsInABmp) {
    TPicture loaded = load(GetParam().file);
    EXPECT_EQ(loaded.GetPixelFormat(), TPixelFormat::pf24bit);
    ASSERT_EQ(QSize(loaded.GetWidth(), loaded.GetHeight()), sixColours().size());
    if (!GetParam().exact)
        return; // a lossy format: only the size is the file's
    TPicture bmp = load(encoded(sixColours(), "bmp"), "same.bmp");
    EXPECT_EQ(rows(loaded), rows(bmp));
    EXPECT_EQ(dithered(loaded), dithered(bmp));
}

class TransparentFormat : public OtherFormat {};

TEST_P(TransparentFormat, TransparentPixelsLieOverBlack) {
    const TPicture loaded = load(GetParam().halfSeen);
    EXPECT_EQ(pixel(loaded, 0, 0), (Bytes{0, 0, 0}));
    if (GetParam().name != "Gif") { // a GIF pixel is either seen or not
        EXPECT_NEAR(pixel(loaded, 1, 0)[1], 128, 1);
    }
    EXPECT_EQ(pixel(loaded, 2, 1), (Bytes{32, 64, 128})) << "opaque pixels unchanged";
}

// The formats that can be transparent (all but JPEG).
std::vector<FormatCase> transparentFormatCases() {
    std::vector<FormatCase> cases;
    for (const FormatCase& c : otherFormatCases())
        if (!c.halfSeen.empty())
            cases.push_back(c);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Formats, TransparentFormat, ::testing::ValuesIn(transparentFormatCases()),
                         [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Formats, OtherFormat, ::testing::ValuesIn(otherFormatCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
