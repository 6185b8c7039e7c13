// Files made to cost far more than their picture, or to make the libraries
// talk: each is refused with a reason a user understands, or loads at the
// cost of its picture, and nothing reaches the terminal.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "BmpCorpus.h"
#include "LandscapePicture.h"
#include "Picture.h"
#include "ProcessMemory.h"
#include "SysUtils.h"
#include "TestFiles.h"

using namespace bmp_corpus;

namespace {

// --- Small generators of hostile files -----------------------------------

Bytes bytesOf(const QByteArray& data) { return Bytes(data.begin(), data.end()); }

// A compressed text chunk (zTXt): keyword, 0, method 0, then `unpacked`
// spaces squeezed by zlib into a few kilobytes.
Bytes textBombChunk(std::size_t unpacked) {
    const Bytes text(unpacked, ' ');
    uLongf packedLength = compressBound(static_cast<uLong>(text.size()));
    Bytes packed(packedLength);
    compress2(packed.data(), &packedLength, text.data(), static_cast<uLong>(text.size()), 9);
    const std::string keyword("Comment\0\0", 9); // keyword, its end, compression method 0
    Bytes data(keyword.size() + packedLength);
    std::copy(keyword.begin(), keyword.end(), data.begin());
    std::copy_n(packed.begin(), packedLength, data.begin() + static_cast<std::ptrdiff_t>(keyword.size()));
    return pngChunk("zTXt", data);
}

// A 320 x 200 PNG carrying `chunks` text bombs after its header.
Bytes pngTextBomb(int chunks, std::size_t unpackedEach) {
    Bytes png = encoded(testing_pictures::landscape(320, 200).Image(), "png");
    constexpr std::ptrdiff_t kAfterHeader = 8 + 12 + 13;
    const Bytes bomb = textBombChunk(unpackedEach);
    for (int i = 0; i < chunks; ++i)
        png.insert(png.begin() + kAfterHeader, bomb.begin(), bomb.end());
    return png;
}

// A small progressive JPEG with its last scan repeated `repeats` more times,
// and the number of scans it then holds.
std::pair<Bytes, int> jpegScanBomb(int repeats) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(testing_pictures::landscape(64, 48).Image()));
    const QByteArray startOfScan("\xFF\xDA", 2);
    const qsizetype lastScan = jpeg.lastIndexOf(startOfScan);
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    const int scans = static_cast<int>(jpeg.count(startOfScan)) + repeats;
    for (int i = 0; i < repeats; ++i)
        jpeg.insert(jpeg.size() - 2, scan);
    return {bytesOf(jpeg), scans};
}

// A GIF whose logical screen is width x height, holding a 1 x 1 frame.
Bytes gifScreen(std::uint16_t width, std::uint16_t height) {
    const auto low = [](std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
    const auto high = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
    return {'G',       'I', 'F', '8', '9', 'a', low(width), high(width), low(height), high(height),
            0x80,      0,   0,                         // 2-entry colour table, background, aspect
            0,         0,   0,   255, 255, 255,        // the colour table
            0x2C,      0,   0,   0,   0,   1,   0,   1, 0, 0, // a 1 x 1 frame at 0, 0
            2,         2,   0x44, 0x01, 0, 0x3B};      // its pixel, end of the file
}

// A valid PNG with one byte of its first image data chunk's checksum changed.
Bytes pngWithBadImageChecksum() {
    Bytes png = encoded(sixColours(), "png");
    const std::string bytes(png.begin(), png.end());
    const std::size_t type = bytes.find("IDAT");
    const std::size_t length = (std::size_t{png[type - 4]} << 24) | (std::size_t{png[type - 3]} << 16) |
                               (std::size_t{png[type - 2]} << 8) | png[type - 1];
    png[type + 4 + length] ^= 0x55;
    return png;
}

// A valid PNG cut short two bytes before its image data ends: the end
// chunk (12 bytes) and the last two of the image data's checksum are gone.
Bytes pngCutInsideImageData() {
    const Bytes png = encoded(sixColours(), "png");
    return cut(png, png.size() - 14);
}

// A JPEG with stray bytes before a marker, which libjpeg warns of and reads past.
Bytes jpegWithStrayBytes() {
    Bytes jpeg = encoded(sixColours(), "jpeg", 90);
    const std::string bytes(jpeg.begin(), jpeg.end());
    const std::size_t scan = bytes.find("\xFF\xDA");
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(scan), {1, 2, 3, 4, 5, 6, 7, 8});
    return jpeg;
}

// --- The tests ------------------------------------------------------------

// What loading a file prints: Qt's messages, and what the libraries under
// it write to standard error themselves. Empty when nothing is printed.
std::vector<QString> gPrinted;
void recordPrinted(QtMsgType, const QMessageLogContext&, const QString& text) { gPrinted.push_back(text); }

std::string printedWhileLoading(TPicture& picture, const std::string& path) {
    gPrinted.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordPrinted);
    std::fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    std::FILE* captured = std::tmpfile();
    dup2(fileno(captured), STDERR_FILENO);
    const auto restore = [&] {
        std::fflush(stderr);
        dup2(savedError, STDERR_FILENO);
        close(savedError);
        qInstallMessageHandler(previous);
    };
    try {
        picture.LoadFromFile(path);
    } catch (...) {
        restore();
        std::fclose(captured);
        throw;
    }
    restore();
    std::string printed;
    std::rewind(captured);
    for (int c; (c = std::fgetc(captured)) != EOF;)
        printed.push_back(static_cast<char>(c));
    std::fclose(captured);
    for (const QString& text : gPrinted)
        printed += text.toStdString() + "\n";
    return printed;
}

class HostilePicture : public ::testing::Test {
  protected:
    std::string written(const std::string& name, const Bytes& bytes) const {
        const std::string path = mDir.filePath(QString::fromStdString(name)).toStdString();
        writeFile(path, bytes);
        return path;
    }
    QTemporaryDir mDir;
};

struct RefusalRow {
    std::string name;
    Bytes file;
    std::string reason;
};
std::ostream& operator<<(std::ostream& out, const RefusalRow& row) { return out << row.name; }

class HostileRefusal : public HostilePicture, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(HostileRefusal, NamesTheFileAndTheReasonAndPrintsNothing) {
    const std::string path = written(GetParam().name, GetParam().file);
    TPicture picture;
    std::string printed;
    try {
        printed = printedWhileLoading(picture, path);
        ADD_FAILURE() << "loaded";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot load \"" + path + "\": " + GetParam().reason);
    }
    EXPECT_EQ(printed, "");
}

RefusalRow scanBombRow() {
    const auto [jpeg, scans] = jpegScanBomb(150);
    return {"JpegScanRepeated150Times", jpeg, "too many scans for a JPEG (" + std::to_string(scans) + ")"};
}

std::vector<RefusalRow> refusalRows() {
    std::vector<RefusalRow> rows{
        scanBombRow(),
        {"GifScreen16383", gifScreen(16383, 16383), "the GIF picture has more than 100 megapixels (16383 x 16383)"},
        {"GifScreen65535", gifScreen(65535, 65535), "the GIF picture has more than 100 megapixels (65535 x 65535)"},
        {"PngBadImageChecksum", pngWithBadImageChecksum(), "damaged PNG (bad checksum in chunk IDAT)"},
        {"PngCutInsideImageData", pngCutInsideImageData(), "damaged PNG (it is cut short inside chunk IDAT)"},
        {"PngSignatureOnly", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
         "damaged PNG (it ends before its header chunk IHDR)"},
        {"GifHeaderOnly", {'G', 'I', 'F', '8', '9', 'a', 3, 0},
         "the GIF picture is unreadable (its data is damaged or cut short)"},
    };
    if (QImageReader::supportedImageFormats().contains("tiff"))
        rows.push_back({"TiffHeaderOnly", {'I', 'I', '*', 0, 8, 0, 0, 0},
                        "the TIFF picture is unreadable (TIFFReadDirectory: Failed to read directory at offset 8)"});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileRefusal, ::testing::ValuesIn(refusalRows()),
                         [](const auto& info) { return info.param.name; });

TEST_F(HostilePicture, LibraryWarningsOfAReadablePictureAreNotPrinted) {
    TPicture picture;
    EXPECT_EQ(printedWhileLoading(picture, written("stray.jpg", jpegWithStrayBytes())), "");
    EXPECT_EQ(picture.GetWidth(), 3);
}

// Peak memory of loading a file, in a child process so that the test's own
// allocations do not count: kilobytes above what the child held at its start.
long long loadingPeakKilobytes(const std::string& path) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        const long long start = statusKilobytes("VmHWM");
        long long grown = -1;
        try {
            TPicture picture;
            picture.LoadFromFile(path);
            grown = statusKilobytes("VmHWM") - start;
        } catch (...) {
        }
        (void)!write(channel[1], &grown, sizeof grown);
        _exit(0);
    }
    close(channel[1]);
    long long grown = -1;
    if (read(channel[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return grown;
}

// Ten chunks that each unpack to 7 MB of text in a 320 x 200 picture: the
// text plays no part, so loading costs what the picture costs.
TEST_F(HostilePicture, CompressedTextInAPngCostsNothing) {
    const std::string path = written("text.png", pngTextBomb(10, 7'000'000));
    const long long peak = loadingPeakKilobytes(path);
    ASSERT_GE(peak, 0) << "the picture did not load";
    EXPECT_LT(peak, 40 * 1024) << "kilobytes for a picture of 192,000 bytes";
}

} // namespace
