#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "BmpCorpus.h"
#include "BmpForge.h"
#include "BmpReader.h"
#include "Picture.h"
#include "PictureBuilder.h"
#include "SysUtils.h"
#include "TestFiles.h"
#include "UnprivilegedUser.h"

using namespace bmp_forge;
using namespace bmp_corpus;

namespace {

// Collects decoded rows and checks that each row is asked for once.
class RecordingTarget final : public BmpRowTarget {
  public:
    // Sizes above this are refused by the test itself, so random headers cannot
    // make it allocate hundreds of megabytes.
    static constexpr long long kTestPixelLimit = 1 << 20;

    void bmpSize(int width, int height) override {
        ++sizeCalls;
        if (static_cast<long long>(width) * height > kTestPixelLimit)
            throw std::length_error("too big for the test");
        this->width = width;
        this->height = height;
        rows.assign(static_cast<std::size_t>(height),
                    Bytes(3 * static_cast<std::size_t>(width), 0xCD));
        asked.assign(static_cast<std::size_t>(height), 0);
    }
    std::uint8_t* bmpRow(int y) override {
        if (y < 0 || y >= height)
            return nullptr;
        ++asked[static_cast<std::size_t>(y)];
        return rows[static_cast<std::size_t>(y)].data();
    }
    Bytes all() const {
        Bytes joined;
        for (const Bytes& row : rows)
            joined.insert(joined.end(), row.begin(), row.end());
        return joined;
    }
    bool everyRowOnce() const {
        return std::all_of(asked.begin(), asked.end(), [](int n) { return n == 1; });
    }

    int sizeCalls = 0;
    int width = 0;
    int height = 0;
    std::vector<Bytes> rows;
    std::vector<int> asked;
};

std::string refusal(const Bytes& file, RecordingTarget& target) {
    try {
        decodeBmp(file, target);
    } catch (const BmpError& error) {
        return error.what();
    }
    return "(decoded without error)";
}


class BmpDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(BmpDecode, GivesTheKnownPixelsByteForByte) {
    const DecodeCase& c = GetParam();
    RecordingTarget target;
    const BmpLayout layout = decodeBmp(c.file, target);
    EXPECT_EQ(layout.embedded.kind, BmpEmbeddedKind::None);
    EXPECT_EQ(target.sizeCalls, 1);
    EXPECT_EQ(target.width, c.width);
    EXPECT_EQ(target.height, c.height);
    EXPECT_TRUE(target.everyRowOnce());
    EXPECT_EQ(target.all(), c.expected);
}

// Every shorter file misses something the full one needs.
TEST_P(BmpDecode, RefusesEveryTruncation) {
    const DecodeCase& c = GetParam();
    for (std::size_t length = 0; length < c.file.size(); ++length) {
        const Bytes cut(c.file.begin(), c.file.begin() + static_cast<std::ptrdiff_t>(length));
        RecordingTarget target;
        EXPECT_THROW(decodeBmp(cut, target), BmpError) << "length " << length;
    }
}

// Random byte changes: a picture with every row written, or a refusal; never a crash.
TEST_P(BmpDecode, SurvivesRandomDamage) {
    const DecodeCase& c = GetParam();
    std::mt19937 generator(static_cast<unsigned>(std::hash<std::string>{}(c.name)));
    for (int round = 0; round < 400; ++round) {
        Bytes damaged = c.file;
        const int changes = 1 + round % 4;
        for (int i = 0; i < changes; ++i)
            damaged[generator() % damaged.size()] = static_cast<std::uint8_t>(generator());
        RecordingTarget target;
        try {
            decodeBmp(damaged, target);
            if (target.sizeCalls == 1) {
                EXPECT_TRUE(target.everyRowOnce()) << "round " << round;
            }
        } catch (const BmpError&) {
        } catch (const std::length_error&) {
        }
    }
}

// The same pixels through the picture loader, whose plain 24-bit files skip
// the whole-file read and go straight into the rows.
TEST_P(BmpDecode, LoadsTheKnownPixelsFromAFile) {
    const DecodeCase& c = GetParam();
    const QTemporaryDir folder;
    const std::string file = folder.filePath("case.bmp").toStdString();
    writeFile(file, c.file);
    TPicture picture;
    picture.LoadFromFile(file);
    EXPECT_EQ(picture.GetWidth(), c.width);
    EXPECT_EQ(picture.GetHeight(), c.height);
    EXPECT_EQ(testing_pictures::rows(picture), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpDecode, ::testing::ValuesIn(decodeCases()),
                         [](const auto& info) { return info.param.name; });


class BmpRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BmpRefusal, GivesTheExactReason) {
    const RefusalCase& c = GetParam();
    RecordingTarget target;
    EXPECT_THAT(refusal(c.file, target), ::testing::HasSubstr(c.reason));
    EXPECT_EQ(target.sizeCalls, c.sizeGiven ? 1 : 0);
}

// The loader gives the reader's reason, whichever way it reads the file; an
// empty file, which no reader is given, it calls empty itself.
TEST_P(BmpRefusal, LoaderGivesTheSameReason) {
    const RefusalCase& c = GetParam();
    const std::string reason = c.file.empty() ? "it is empty" : c.reason;
    const QTemporaryDir folder;
    const std::string file = folder.filePath("case.bmp").toStdString();
    writeFile(file, c.file);
    TPicture picture;
    try {
        picture.LoadFromFile(file);
        ADD_FAILURE() << "loaded";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr(reason));
    }
}

INSTANTIATE_TEST_SUITE_P(Malformed, BmpRefusal, ::testing::ValuesIn(refusalCases()),
                         [](const auto& info) { return info.param.name; });



TEST(BmpEmbedded, PngIsReportedWithItsPlace) {
    const Bytes png = encoded(sixColours(), "png");
    RecordingTarget target;
    const BmpLayout layout = decodeBmp(embedding(png, 5, 3, 2), target);
    EXPECT_EQ(layout.embedded.kind, BmpEmbeddedKind::Png);
    EXPECT_EQ(layout.embedded.offset, 54u);
    EXPECT_EQ(layout.embedded.length, png.size());
    EXPECT_EQ(target.sizeCalls, 0);
}

TEST(BmpEmbedded, JpegIsReportedWithItsPlace) {
    const Bytes jpeg = encoded(sixColours(), "jpeg");
    RecordingTarget target;
    const BmpLayout layout = decodeBmp(embedding(jpeg, 4, 3, 2), target);
    EXPECT_EQ(layout.embedded.kind, BmpEmbeddedKind::Jpeg);
    EXPECT_EQ(layout.embedded.offset, 54u);
    EXPECT_EQ(layout.embedded.length, jpeg.size());
}

// Loading through the picture: files in a temporary folder.
class PictureLoad : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const {
        return mDir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string written(const std::string& name, const Bytes& bytes) const {
        writeFile(path(name), bytes);
        return path(name);
    }
    // Loads `fileName` into a picture that already holds another one, expects
    // the message, and checks the picture kept its size and bytes.
    void expectRefusedKeepingPicture(const std::string& fileName, const std::string& reason) const {
        TPicture picture;
        picture.LoadFromFile(written("before.bmp", valid24()));
        const testing_pictures::Bytes before = testing_pictures::rows(picture);
        try {
            picture.LoadFromFile(fileName);
            ADD_FAILURE() << "loaded " << fileName;
        } catch (const Exception& error) {
            EXPECT_THAT(error.what(), ::testing::StartsWith("Cannot load \"" + fileName + "\": "));
            EXPECT_THAT(error.what(), ::testing::HasSubstr(reason));
        }
        EXPECT_EQ(picture.GetWidth(), 2);
        EXPECT_EQ(picture.GetHeight(), 2);
        EXPECT_EQ(testing_pictures::rows(picture), before);
    }

    QTemporaryDir mDir;
};

TEST_F(PictureLoad, MissingFile) {
    expectRefusedKeepingPicture(path("absent.bmp"), "the file does not exist");
}

TEST_F(PictureLoad, Folder) {
    ASSERT_TRUE(QDir(mDir.path()).mkdir("folder.bmp"));
    expectRefusedKeepingPicture(path("folder.bmp"), "it is a folder, not a file");
}

TEST_F(PictureLoad, UnreadableFile) {
    const std::string locked = written("locked.bmp", valid24());
    ASSERT_EQ(chmod(mDir.path().toStdString().c_str(), 0777), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const UnprivilegedUser asUser;
    ASSERT_TRUE(asUser.permissionsApply());
    expectRefusedKeepingPicture(locked, "permission to read it was denied");
}

// A file far longer than any picture allowed is refused before it is read:
// here 2 GiB that take no disk space (a sparse file) after a bitmap's headers.
TEST_F(PictureLoad, OverlongFileIsRefusedUnread) {
    const std::string file = written("long.bmp", valid24());
    ASSERT_EQ(truncate(file.c_str(), 2LL << 30), 0);
    expectRefusedKeepingPicture(file, "it is 2147483648 bytes long, more than any picture of up to 100 "
                                      "megapixels needs");
}

// The shared corpus through the loader: what it accepts loads, and what it
// must refuse is refused naming the file, the picture held before kept.
TEST_F(PictureLoad, CorpusFilesLoadOrAreRefusedKeepingThePicture) {
    for (const CorpusFile& file : acceptedFiles()) {
        SCOPED_TRACE(file.name);
        TPicture picture;
        EXPECT_NO_THROW(picture.LoadFromFile(written(file.name + ".bmp", file.bytes)));
        EXPECT_GT(picture.GetWidth(), 0);
    }
    for (const CorpusFile& file : malformedFiles()) {
        SCOPED_TRACE(file.name);
        expectRefusedKeepingPicture(written(file.name + ".bmp", file.bytes), "");
    }
}

struct BadFileCase {
    std::string name;
    Bytes contents;
    std::string reason;
};

std::ostream& operator<<(std::ostream& out, const BadFileCase& c) {
    return out << c.name;
}

class PictureLoadBadFile : public PictureLoad, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(PictureLoadBadFile, NamesTheFileAndKeepsThePicture) {
    expectRefusedKeepingPicture(written(GetParam().name + ".bmp", GetParam().contents),
                                GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureLoadBadFile,
    ::testing::Values(
        BadFileCase{"Empty", {}, "it is empty"},
        BadFileCase{"Corrupt",
                    {'G', 'I', 'F', '8', '9', 'a', 0, 0},
                    "the GIF picture is unreadable"},
        BadFileCase{"NotAPicture", {'h', 'e', 'l', 'l', 'o'}, "not a BMP file: it starts with \"he\""},
        BadFileCase{"PngOversize", pngClaiming(10001, 10000),
                    "the PNG picture has more than 100 megapixels (10001 x 10000)"},
        BadFileCase{"Truncated", cut(valid24(), 60), "pixel data ends at byte 60 of 70 needed"},
        BadFileCase{"OversizeDeclared",
                    patched32(patched32(valid24(), kWidthPos, 100000), kHeightPos, 100000),
                    "declared size 100000 x 100000 exceeds the 100-megapixel limit"},
        BadFileCase{"PaletteIndexOutOfRange", forge(indexedFields(40, {{0, 1, 9, 3}}, 4, 4)),
                    "palette index 9 beyond the 4 entries"},
        BadFileCase{
            "EmbeddedPngOversize", embedding(pngClaiming(20000, 20000), 5, 3, 2),
            "the embedded PNG picture has more than 100 megapixels (20000 x 20000)"},
        BadFileCase{"EmbeddedPngBroken",
                    embedding({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8},
                              5, 3, 2),
                    "damaged embedded PNG (a chunk named"}),
    [](const auto& info) { return info.param.name; });

TEST_P(BmpDecode, LoadsThroughThePictureAs24Bit) {
    const DecodeCase& c = GetParam();
    QTemporaryDir dir;
    const std::string name = dir.filePath("variant.bmp").toStdString();
    writeFile(name, c.file);
    TPicture picture;
    picture.LoadFromFile(name);
    EXPECT_EQ(picture.GetPixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(picture.GetWidth(), c.width);
    EXPECT_EQ(picture.GetHeight(), c.height);
    EXPECT_EQ(testing_pictures::rows(picture), c.expected);
}

TEST_F(PictureLoad, EmbeddedPngGivesItsPixels) {
    TPicture picture;
    picture.LoadFromFile(written("png.bmp", embedding(encoded(sixColours(), "png"), 5, 3, 2)));
    EXPECT_EQ(picture.GetPixelFormat(), TPixelFormat::pf24bit);
    ASSERT_EQ(picture.GetWidth(), 3);
    ASSERT_EQ(picture.GetHeight(), 2);
    EXPECT_EQ(testing_pictures::rows(picture), sixColoursBgr());
}

TEST_F(PictureLoad, EmbeddedJpegGivesItsPixelsWithinTheLoss) {
    QImage grey(8, 8, QImage::Format_RGB32);
    grey.fill(qRgb(120, 60, 200));
    TPicture picture;
    picture.LoadFromFile(written("jpeg.bmp", embedding(encoded(grey, "jpeg", 100), 4, 8, 8)));
    ASSERT_EQ(picture.GetWidth(), 8);
    ASSERT_EQ(picture.GetHeight(), 8);
    const testing_pictures::Bytes p = testing_pictures::pixel(picture, 3, 5);
    EXPECT_NEAR(p[0], 200, 4);
    EXPECT_NEAR(p[1], 60, 4);
    EXPECT_NEAR(p[2], 120, 4);
}

// Saving writes the bitmap straight from the rows; our reader and Qt's must
// read its file back exactly, whatever the row padding.
class PictureSave : public ::testing::TestWithParam<int> {};

TEST_P(PictureSave, WritesA24BitFileThatReadsBackByteForByte) {
    const int width = GetParam();
    QTemporaryDir dir;
    const std::string name = dir.filePath("saved.bmp").toStdString();
    const TPicture original = testing_pictures::random(width, 3, static_cast<unsigned>(width));
    original.SaveToFile(name);
    const QByteArray saved = fileBytes(name);
    const Bytes file(saved.begin(), saved.end());
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[kBitCountPos] | file[kBitCountPos + 1] << 8, 24);
    RecordingTarget target;
    const BmpLayout layout = decodeBmp(file, target);
    EXPECT_EQ(layout.bitsPerPixel, 24);
    EXPECT_EQ(layout.compression, "BI_RGB");
    EXPECT_EQ(target.width, width);
    EXPECT_EQ(target.height, 3);
    EXPECT_EQ(target.all(), testing_pictures::rows(original));
    TPicture loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(testing_pictures::rows(loaded), testing_pictures::rows(original));
    TPicture readByQt;
    readByQt.Assign(QImage(QString::fromStdString(name)).convertToFormat(QImage::Format_BGR888));
    EXPECT_EQ(testing_pictures::rows(readByQt), testing_pictures::rows(original));
}

INSTANTIATE_TEST_SUITE_P(Widths, PictureSave, ::testing::Range(1, 6),
                         [](const auto& info) { return "Width" + std::to_string(info.param); });

} // namespace
