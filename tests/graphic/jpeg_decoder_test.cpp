#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <jpeglib.h>

#include "Engine.h"
#include "FitToScreen.h"
#include "JpegDecoder.h"
#include "LandscapePicture.h"
#include "PictureBuilder.h"
#include "QtPictureReader.h"

using namespace testing_pictures;

namespace {

// A made-up photograph (the test landscape) stored as a JPEG.
QByteArray madeUpJpeg(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(landscape(width, height).Image().convertToFormat(format).save(&buffer, "jpeg", 92));
    return bytes;
}

// A picture stored as an Adobe CMYK JPEG by libjpeg (Qt writes none): the
// inks of each pixel are its red, green and blue as they are, no black.
QByteArray cmykJpeg(const QImage& image) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &bytes, &length);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    const QImage rgba = image.convertToFormat(QImage::Format_RGBX8888); // red, green, blue, 255
    for (int y = 0; y < image.height(); ++y) {
        JSAMPROW pointer = const_cast<JSAMPROW>(rgba.constScanLine(y));
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    std::free(bytes);
    return jpeg;
}

TPicture fittedCrop(TPicture& picture) {
    TPicture screen;
    Fit_To_Screen(picture, screen, TFitMode::Crop);
    return screen;
}

TEST(JpegDecoder, AtFullSizeGivesQtsPixelsAndLeavesDamageToQt) {
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
        const QByteArray jpeg = madeUpJpeg(77, 45, format);
        const std::optional<TPicture> direct = Decode_Jpeg_Directly(jpeg);
        ASSERT_TRUE(direct);
        TPicture viaQt;
        viaQt.Assign(QImage::fromData(jpeg, "jpeg").convertToFormat(QImage::Format_BGR888));
        EXPECT_EQ(rows(*direct), rows(viaQt)) << "format " << format;
    }
    const QByteArray cmyk = cmykJpeg(landscape(77, 45).Image());
    ASSERT_EQ(cmyk.mid(6, 4), "Adob") << "an Adobe CMYK file, as Qt's reader expects";
    TPicture viaQt;
    viaQt.Assign(QImage::fromData(cmyk, "jpeg").convertToFormat(QImage::Format_BGR888));
    EXPECT_EQ(rows(*Decode_Jpeg_Directly(cmyk)), rows(viaQt)) << "CMYK";
    EXPECT_FALSE(Decode_Jpeg_Directly(madeUpJpeg(77, 45).left(300)))
        << "cut short in its tables";
    EXPECT_FALSE(Decode_Jpeg_Directly(QByteArray("\xFF\xD8\xFF\xE0 not a picture")));
}

// An Exif block (after its "Exif\0\0" mark) whose first directory, at
// directoryOffset, holds one entry.
QByteArray exifBlock(bool little, int tag, int type, int value, int directoryOffset = 8) {
    QByteArray block;
    const auto put = [&](std::uint32_t number, int bytes) {
        for (int i = 0; i < bytes; ++i)
            block += static_cast<char>(number >> (8 * (little ? i : bytes - 1 - i)) & 0xFF);
    };
    block += little ? "II" : "MM";
    put(42, 2);
    put(static_cast<std::uint32_t>(directoryOffset), 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(tag), 2);
    put(static_cast<std::uint32_t>(type), 2);
    put(1, 4);
    put(static_cast<std::uint32_t>(value), 2);
    put(0, 2);
    put(0, 4);
    return block;
}

struct TurnCase {
    const char* name;
    QByteArray block; // empty: no Exif segment
    friend void PrintTo(const TurnCase& c, std::ostream* out) { *out << c.name; }
};

class JpegTurn : public ::testing::TestWithParam<TurnCase> {};

// However the Exif block says the picture is stored (or fails to say it),
// the loaded picture is the one Qt's reader gives, turned upright.
TEST_P(JpegTurn, LoadsThePictureQtTurnsUpright) {
    QByteArray jpeg = madeUpJpeg(40, 24);
    if (!GetParam().block.isEmpty()) {
        const QByteArray payload = QByteArray("Exif\0\0", 6) + GetParam().block;
        const int length = static_cast<int>(payload.size()) + 2;
        jpeg.insert(2, QByteArray("\xFF\xE1", 2) + static_cast<char>(length >> 8) +
                           static_cast<char>(length & 0xFF) + payload);
    }
    QBuffer buffer(&jpeg);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    TPicture viaQt;
    viaQt.Assign(reader.read().convertToFormat(QImage::Format_BGR888));
    const TPicture loaded = decodeWithQt(jpeg, kJpegFormat, "JPEG");
    EXPECT_EQ(loaded.GetWidth(), viaQt.GetWidth());
    EXPECT_EQ(rows(loaded), rows(viaQt));
}

INSTANTIATE_TEST_SUITE_P(
    , JpegTurn,
    ::testing::Values(TurnCase{"NoExif", {}}, TurnCase{"Upright", exifBlock(true, 0x0112, 3, 1)},
                      TurnCase{"TurnedRight", exifBlock(true, 0x0112, 3, 6)},
                      TurnCase{"TurnedLeftBigEndian", exifBlock(false, 0x0112, 3, 8)},
                      TurnCase{"Mirrored", exifBlock(false, 0x0112, 3, 2)},
                      TurnCase{"OtherTagOnly", exifBlock(true, 0x010F, 2, 0)},
                      TurnCase{"TurnNotAShort", exifBlock(true, 0x0112, 4, 6)},
                      TurnCase{"DirectoryPastTheEnd", exifBlock(true, 0x0112, 3, 6, 4000)},
                      TurnCase{"UpsideDown", exifBlock(true, 0x0112, 3, 3)},
                      TurnCase{"MirroredTopToBottom", exifBlock(true, 0x0112, 3, 4)},
                      TurnCase{"MirroredOnTheFallingDiagonal", exifBlock(true, 0x0112, 3, 5)},
                      TurnCase{"MirroredOnTheRisingDiagonal", exifBlock(false, 0x0112, 3, 7)}),
    [](const auto& info) { return std::string(info.param.name); });

struct DivisorCase {
    const char* name;
    int width, height;
    TFitMode mode;
    int divisor;
};

class FitDecodeDivisor : public ::testing::TestWithParam<DivisorCase> {};

TEST_P(FitDecodeDivisor, LeavesTwiceTheScreenOfThePartTheFitReads) {
    const DivisorCase& c = GetParam();
    EXPECT_EQ(Fit_Decode_Divisor(c.width, c.height, c.mode), c.divisor);
}

INSTANTIATE_TEST_SUITE_P(
    , FitDecodeDivisor,
    ::testing::Values(DivisorCase{"NoFitFullSize", 4000, 3000, TFitMode::Off, 1},
                      DivisorCase{"PhotoCropQuarter", 4000, 3000, TFitMode::Crop, 4},
                      DivisorCase{"ExactlyTwiceHalf", 1280, 800, TFitMode::Stretch, 2},
                      DivisorCase{"JustUnderTwiceFull", 1279, 800, TFitMode::Stretch, 1},
                      DivisorCase{"PanoramaCropReadsLess", 5120, 1600, TFitMode::Crop, 2},
                      DivisorCase{"PanoramaPadReadsAll", 5120, 1600, TFitMode::Pad, 4},
                      DivisorCase{"HugeEighth", 10000, 10000, TFitMode::Stretch, 8}),
    [](const auto& info) { return std::string(info.param.name); });

// The fitted screen of a reduced decode against that of the full decode:
// the mean difference of each channel within 2 levels.
class ReducedDecode : public ::testing::TestWithParam<int> {};

TEST_P(ReducedDecode, FitsWithinTwoLevelsOfTheFullDecode) {
    const int width = GetParam(), height = width * 5 / 8;
    const QByteArray jpeg = madeUpJpeg(width, height);
    TPicture full = decodeWithQt(jpeg, kJpegFormat, "JPEG");
    TPicture reduced = decodeWithQt(jpeg, kJpegFormat, "JPEG", [](int w, int h) {
        return Fit_Decode_Divisor(w, h, TFitMode::Crop);
    });
    const int divisor = Fit_Decode_Divisor(width, height, TFitMode::Crop);
    ASSERT_GT(divisor, 1);
    EXPECT_EQ(reduced.GetWidth(), (width + divisor - 1) / divisor);
    EXPECT_EQ(reduced.GetHeight(), (height + divisor - 1) / divisor);
    const Bytes a = rows(fittedCrop(full)), b = rows(fittedCrop(reduced));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t channel = 0; channel < 3; ++channel) {
        double sum = 0;
        for (std::size_t i = channel; i < a.size(); i += 3)
            sum += std::abs(a[i] - b[i]);
        EXPECT_LE(sum / static_cast<double>(a.size() / 3), 2.0) << "channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, ReducedDecode, ::testing::Values(1400, 2600),
                         [](const auto& info) { return "Width" + std::to_string(info.param); });

} // namespace
