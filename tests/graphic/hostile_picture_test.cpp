// Files made to cost far more than their picture or to make the libraries
// talk, each made here by a small generator: refused with a reason a user
// understands, or loaded at the cost of the picture; nothing is printed.
#include <gtest/gtest.h>

#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "BmpCorpus.h"
#include "LandscapePicture.h"
#include "ProcessMemory.h"
#include "SmallFileSystem.h"
#include "SysUtils.h"
#include "TestFiles.h"

using namespace bmp_corpus;

namespace {

// A 320 x 200 PNG carrying `chunks` compressed text chunks (zTXt: keyword,
// its end, method 0, zlib data) that each unpack to `unpacked` spaces.
Bytes pngTextBomb(int chunks, std::size_t unpacked) {
    const Bytes text(unpacked, ' ');
    uLongf packedLength = compressBound(static_cast<uLong>(unpacked));
    Bytes data(9 + packedLength, 0);
    std::copy_n("Comment", 7, data.begin());
    compress2(data.data() + 9, &packedLength, text.data(), static_cast<uLong>(unpacked), 9);
    data.resize(9 + packedLength);
    const Bytes bomb = pngChunk("zTXt", data);
    Bytes png = encoded(testing_pictures::landscape(320, 200).Image(), "png");
    for (int i = 0; i < chunks; ++i) // after the signature and the header chunk
        png.insert(png.begin() + 33, bomb.begin(), bomb.end());
    return png;
}

// A small progressive JPEG with its last scan repeated, and its number of scans.
std::pair<Bytes, int> jpegScanBomb(int repeats) {
    Bytes jpeg = progressiveJpeg(testing_pictures::landscape(64, 48).Image());
    const std::string text(jpeg.begin(), jpeg.end()), startOfScan("\xFF\xDA");
    int scans = repeats;
    for (std::size_t at = text.find(startOfScan); at != std::string::npos; at = text.find(startOfScan, at + 1))
        ++scans;
    const Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(text.rfind(startOfScan)), jpeg.end() - 2);
    for (int i = 0; i < repeats; ++i)
        jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
    return {jpeg, scans};
}

// A GIF whose logical screen is width x height, holding a 1 x 1 frame.
Bytes gifScreen(int width, int height) {
    const auto byte = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
    return {'G', 'I', 'F', '8', '9', 'a', byte(width), byte(width >> 8), byte(height), byte(height >> 8),
            0x80, 0, 0, 0, 0, 0, 255, 255, 255,   // 2-entry colour table, background, aspect, the table
            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,      // a 1 x 1 frame at 0, 0
            2, 2, 0x44, 0x01, 0, 0x3B};           // its pixel, the end
}

// A 4 x 4 grey TIFF in one strip of 16 bytes at `stripAt`, of which the file holds `held`.
Bytes tiffOneStrip(std::uint32_t stripAt, std::size_t held) {
    const std::uint32_t entries[][3] = {{256, 3, 4}, {257, 3, 4}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                                        {273, 4, stripAt}, {278, 3, 4}, {279, 4, 16}}; // tag, type, value
    Bytes tiff{'I', 'I', '*', 0, 8, 0, 0, 0, std::size(entries), 0};
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff.push_back(static_cast<std::uint8_t>(value >> 8 * i));
    };
    for (const auto& [tag, type, value] : entries) {
        put(tag, 2), put(type, 2), put(1, 4), put(value, 4); // one value, held in the entry
    }
    put(0, 4); // no next directory
    tiff.insert(tiff.end(), held, 0x80);
    return tiff;
}

// A PNG with a byte of its image data chunk's checksum changed (the image
// data chunk is the last before the 12-byte end chunk), or cut inside it.
Bytes pngImageDataDamaged(bool cutShort) {
    Bytes png = encoded(sixColours(), "png");
    if (cutShort)
        return cut(png, png.size() - 14);
    png[png.size() - 13] ^= 0x55;
    return png;
}

// A 1 x 1 PNG whose image data is followed by `count` empty image data chunks.
Bytes pngEmptyImageChunks(int count) {
    Bytes png = encoded(QImage(1, 1, QImage::Format_RGB32), "png");
    const Bytes empty = pngChunk("IDAT", {});
    Bytes run;
    for (int i = 0; i < count; ++i)
        run.insert(run.end(), empty.begin(), empty.end());
    png.insert(png.end() - 12, run.begin(), run.end()); // before the 12-byte end chunk
    return png;
}

// A JPEG with stray bytes before its scan, which libjpeg warns of and reads past.
Bytes jpegWithStrayBytes() {
    Bytes jpeg = encoded(sixColours(), "jpeg", 90);
    const std::string text(jpeg.begin(), jpeg.end());
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(text.find("\xFF\xDA")), {1, 2, 3, 4, 5, 6, 7, 8});
    return jpeg;
}

// What a step writes to standard error: Qt's messages (its default handler
// writes there) and the libraries' own. The step's Exception, if any, is
// raised again after.
std::string printedWhile(const std::function<void()>& step) {
    std::fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    std::FILE* captured = std::tmpfile();
    dup2(fileno(captured), STDERR_FILENO);
    std::string printed, reason;
    try {
        step();
    } catch (const Exception& error) {
        reason = error.what();
    }
    std::fflush(stderr);
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    std::rewind(captured);
    for (int c; (c = std::fgetc(captured)) != EOF;)
        printed.push_back(static_cast<char>(c));
    std::fclose(captured);
    if (!reason.empty())
        throw Exception(reason);
    return printed;
}

std::string printedWhileLoading(TPicture& picture, const std::string& path) {
    return printedWhile([&] { picture.LoadFromFile(path); });
}

// Peak memory of loading a file, in kilobytes above what a child process
// held at its start, so that the test's own allocations do not count; -1
// when the file does not load.
long long loadingPeakKilobytes(const std::string& path) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    if (fork() == 0) {
        const long long start = statusKilobytes("VmHWM");
        long long grown = -1;
        try {
            TPicture picture;
            picture.LoadFromFile(path);
            grown = statusKilobytes("VmHWM") - start;
        } catch (const Exception&) {
        }
        _exit(write(channel[1], &grown, sizeof grown) == sizeof grown ? 0 : 1);
    }
    close(channel[1]);
    long long grown = -1;
    if (read(channel[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    close(channel[0]);
    wait(nullptr);
    return grown;
}

struct RefusalRow {
    std::string name;
    Bytes file;
    std::string reason;
};
std::ostream& operator<<(std::ostream& out, const RefusalRow& row) { return out << row.name; }

class HostilePicture : public ::testing::TestWithParam<RefusalRow> {
  protected:
    std::string written(const std::string& name, const Bytes& bytes) const {
        const std::string path = mDir.filePath(QString::fromStdString(name)).toStdString();
        writeFile(path, bytes);
        return path;
    }
    QTemporaryDir mDir;
};

TEST_P(HostilePicture, IsRefusedNamingTheFileAndTheReasonPrintingNothing) {
    const std::string path = written(GetParam().name, GetParam().file);
    TPicture picture;
    try {
        EXPECT_EQ(printedWhileLoading(picture, path), "");
        ADD_FAILURE() << "loaded";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot load \"" + path + "\": " + GetParam().reason);
    }
}

std::vector<RefusalRow> refusalRows() {
    const auto [scanBomb, scans] = jpegScanBomb(150);
    std::vector<RefusalRow> rows{
        {"JpegScanRepeated150Times", scanBomb, "too many scans for a JPEG (" + std::to_string(scans) + ")"},
        {"GifScreen16383", gifScreen(16383, 16383), "the GIF picture has more than 100 megapixels (16383 x 16383)"},
        {"GifScreen65535", gifScreen(65535, 65535), "the GIF picture has more than 100 megapixels (65535 x 65535)"},
        {"PngBadImageChecksum", pngImageDataDamaged(false), "damaged PNG (bad checksum in chunk IDAT)"},
        {"PngCutInsideImageData", pngImageDataDamaged(true), "damaged PNG (it is cut short inside chunk IDAT)"},
        {"PngSignatureOnly", cut(encoded(sixColours(), "png"), 8), "damaged PNG (it ends before its header chunk IHDR)"},
        {"GifHeaderOnly", cut(gifScreen(3, 2), 8), "the GIF picture is unreadable (its data is damaged or cut short)"},
        {"EmptyFile", {}, "it is empty"},
        {"WebPCutInItsSignature", {'R', 'I', 'F', 'F', 16, 0, 0, 0, 'W', 'E'},
         "it is a damaged WebP picture: it ends after 10 bytes"},
    };
    // Cut inside their image data, where the decoders would fill the rest in.
    const Bytes gif = gifOfSixColours(false), jpeg = encoded(testing_pictures::landscape(320, 200).Image(), "jpeg", 90);
    rows.push_back({"GifCutInsideImageData", cut(gif, gif.size() - 3), "damaged GIF (its data is cut short)"});
    rows.push_back({"GifCodesEndBeforeTheLastRow", gifOfSixColours(false, 3), "damaged GIF (its data is cut short)"});
    for (const int percent : {30, 60, 95})
        rows.push_back({"JpegCutAt" + std::to_string(percent), cut(jpeg, jpeg.size() * percent / 100),
                        "damaged JPEG (its data is cut short)"});
    if (QImageReader::supportedImageFormats().contains("tiff")) {
        rows.push_back({"TiffHeaderOnly", {'I', 'I', '*', 0, 8, 0, 0, 0},
                        "it is a damaged TIFF picture: a directory lies past the end of the file"});
        // The directory announces ten entries and holds one.
        rows.push_back({"TiffDirectoryCutShort", {'I', 'I', '*', 0, 8, 0, 0, 0, 10, 0, 0, 1, 3, 0},
                        "it is a damaged TIFF picture: a directory is cut short"});
        const std::uint32_t stripAt = static_cast<std::uint32_t>(tiffOneStrip(0, 0).size());
        for (const auto& [name, tiff] : {std::pair{"TiffStripCutShort", tiffOneStrip(stripAt, 8)},
                                         {"TiffStripPastTheEnd", tiffOneStrip(stripAt + 100, 0)}})
            rows.push_back({name, tiff, "it is a damaged TIFF picture: its data is cut short"});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Files, HostilePicture, ::testing::ValuesIn(refusalRows()),
                         [](const auto& info) { return info.param.name; });

TEST_F(HostilePicture, LibraryWarningsOfAReadablePictureAreNotPrinted) {
    TPicture picture;
    EXPECT_EQ(printedWhileLoading(picture, written("stray.jpg", jpegWithStrayBytes())), "");
    EXPECT_EQ(picture.GetWidth(), 3);
}

// Ten chunks that each unpack to 7 MB of text beside a 320 x 200 picture
// (192,000 bytes): the text plays no part, so loading costs what the picture costs.
TEST_F(HostilePicture, CompressedTextInAPngCostsNothing) {
    const long long peak = loadingPeakKilobytes(written("text.png", pngTextBomb(10, 7'000'000)));
    ASSERT_GE(peak, 0) << "the picture did not load";
    EXPECT_LT(peak, 40 * 1024);
}

// libpng's own words on a write that fails ("libpng error: Write Error")
// stay off the terminal; the system's reason is the one given.
TEST_F(HostilePicture, APngSaveOntoAFullDiscPrintsNothing) {
    const SmallFileSystem small(mDir.path().toStdString(), 16);
    if (!small.mounted())
        GTEST_SKIP() << "this process may not mount a file system";
    TPicture picture;
    picture.Assign(testing_pictures::landscape(320, 200).Image().convertToFormat(QImage::Format_RGB32));
    const std::string path = mDir.filePath("full.png").toStdString();
    try {
        EXPECT_EQ(printedWhile([&] { picture.SaveToFile(path, TPictureFileFormat::Png); }), "");
        ADD_FAILURE() << "a save onto a full disc was reported as success";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos) << error.what();
    }
}

// A million empty image data chunks (a 12 MB file) cost the file and the
// picture, nothing for each chunk.
TEST_F(HostilePicture, EmptyImageDataChunksCostNothingEach) {
    const long long peak = loadingPeakKilobytes(written("empty.png", pngEmptyImageChunks(1'000'000)));
    ASSERT_GE(peak, 0) << "the picture did not load";
    EXPECT_LT(peak, 24 * 1024);
}

} // namespace
