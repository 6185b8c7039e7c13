#include "QtPictureReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <utility>

#include "GifFrame.h"
#include "GifScreen.h"
#include "JpegDecoder.h"
#include "JpegScans.h"
#include "LibraryMessages.h"
#include "PngDecoder.h"
#include "SysUtils.h"
#include "TiffMessages.h"

namespace {

QByteArray jpegScreened(QByteArray stream, const std::string&) {
    checkJpegScans(stream);
    return stream;
}

QByteArray gifScreened(QByteArray stream, const std::string& what) {
    checkGifScreen(stream, what);
    checkGifFirstFrameWhole(stream, what);
    return stream;
}

} // namespace

const QtPictureFormat kPngFormat{"png", "PNG", "*.png", nullptr};
const QtPictureFormat kJpegFormat{"jpeg", "JPEG", "*.jpg *.jpeg", jpegScreened};

namespace {

const QtPictureFormat kGifFormat{"gif", "GIF", "*.gif", gifScreened};
// Qt's WebP and TIFF readers give the declared size from the header alone.
const QtPictureFormat kWebPFormat{"webp", "WebP", "*.webp", nullptr};
const QtPictureFormat kTiffFormat{"tiff", "TIFF", "*.tif *.tiff", nullptr};

const std::array<const QtPictureFormat*, 5> kQtFormats{&kPngFormat, &kJpegFormat, &kGifFormat,
                                                       &kWebPFormat, &kTiffFormat};

// Qt refuses images above its allocation limit; 100 megapixels at 4 bytes each must fit.
constexpr int kQtAllocationLimitMegabytes = 1024;

bool startsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view magic) {
    return bytes.size() >= at + magic.size() &&
           std::equal(magic.begin(), magic.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

bool installed(const QtPictureFormat& format) {
    return QImageReader::supportedImageFormats().contains(format.qtName);
}

long long pixelsOf(const QSize& size) {
    return static_cast<long long>(size.width()) * size.height();
}

// The picture's colours laid over black, 24-bit. Premultiplied channels are
// exactly a colour laid over black. Converted in place where Qt can, so a
// big picture is not held three times.
QImage overBlack(QImage image) {
    if (!image.hasAlphaChannel())
        return std::move(image).convertToFormat(QImage::Format_BGR888);
    const QImage premultiplied =
        std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (premultiplied.isNull())
        return premultiplied;
    QImage opaque(premultiplied.size(), QImage::Format_BGR888);
    if (opaque.isNull())
        return opaque;
    for (int y = 0; y < opaque.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        std::uint8_t* out = opaque.scanLine(y);
        for (int x = 0; x < opaque.width(); ++x, out += 3) {
            out[0] = static_cast<std::uint8_t>(qBlue(in[x]));
            out[1] = static_cast<std::uint8_t>(qGreen(in[x]));
            out[2] = static_cast<std::uint8_t>(qRed(in[x]));
        }
    }
    return opaque;
}

// Why the reader failed, in words: Qt's reason, or where Qt has none
// ("Unknown error") or only its generic one ("Unable to read image data")
// the last thing the library under it said.
bool hasOnlyGenericReason(const QImageReader& reader) {
    return reader.error() == QImageReader::UnknownError || reader.error() == QImageReader::InvalidDataError;
}

std::string failureReason(const QImageReader& reader, const LibraryMessages& messages) {
    if (!hasOnlyGenericReason(reader))
        return reader.errorString().toStdString();
    if (!messages.last().isEmpty())
        return messages.last().toStdString();
    return "its data is damaged or cut short";
}

// Why a picture of `fileBytes` bytes was refused, on one line: a TIFF file's
// damage in plain words from libtiff's last message, which Qt's reader
// leaves generic; otherwise the picture's `state` with the reader's reason.
std::string refusal(const QtPictureFormat& format, const std::string& what, const char* state,
                    const QImageReader& reader, const LibraryMessages& messages, qsizetype fileBytes) {
    if (&format == &kTiffFormat && hasOnlyGenericReason(reader) && !messages.last().isEmpty())
        return std::string("it is a damaged ") + format.title + " picture: " +
               plainTiffReason(messages.last().toStdString(), fileBytes);
    return "the " + what + " picture " + state + " (" + failureReason(reader, messages) + ")";
}

// A format's first bytes; '?' stands for any byte.
struct Signature {
    std::string_view bytes;
    const QtPictureFormat* format;
};

} // namespace

const QtPictureFormat* qtPictureFormatCutIn(std::span<const std::uint8_t> bytes) {
    static const std::array<Signature, 7> kSignatures{{
        {"\x89PNG\r\n\x1A\n", &kPngFormat},
        {"\xFF\xD8\xFF", &kJpegFormat},
        {"GIF87a", &kGifFormat},
        {"GIF89a", &kGifFormat},
        {"RIFF????WEBP", &kWebPFormat},
        {std::string_view("II*\0", 4), &kTiffFormat},
        {std::string_view("MM\0*", 4), &kTiffFormat},
    }};
    if (bytes.empty())
        return nullptr;
    for (const Signature& signature : kSignatures) {
        if (bytes.size() >= signature.bytes.size())
            continue;
        const bool begins = std::equal(bytes.begin(), bytes.end(), signature.bytes.begin(), [](std::uint8_t b, char s) {
            return s == '?' || static_cast<std::uint8_t>(s) == b;
        });
        if (begins)
            return signature.format;
    }
    return nullptr;
}

const QtPictureFormat* qtPictureFormatOf(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, 0, "\x89PNG\r\n\x1A\n"))
        return &kPngFormat;
    if (startsWith(bytes, 0, "\xFF\xD8\xFF"))
        return &kJpegFormat;
    if (startsWith(bytes, 0, "GIF87a") || startsWith(bytes, 0, "GIF89a"))
        return &kGifFormat;
    if (startsWith(bytes, 0, "RIFF") && startsWith(bytes, 8, "WEBP"))
        return &kWebPFormat;
    if (startsWith(bytes, 0, std::string_view("II*\0", 4)) ||
        startsWith(bytes, 0, std::string_view("MM\0*", 4)))
        return &kTiffFormat;
    return nullptr;
}

TPicture decodeWithQt(QByteArray stream, const QtPictureFormat& format,
                      const std::string& what, const TDecodeReduction& reduction) {
    // libpng reads a PNG straight into the picture's rows, unpacking its data once.
    if (&format == &kPngFormat)
        return Decode_Png(stream, what);
    const QByteArray picture =
        format.screen ? format.screen(std::move(stream), what) : std::move(stream);
    // Qt's JPEG reader makes a 32-bit picture that must then be copied to 24
    // bits, decodes at full size, and keeps every Exif block; libjpeg does
    // none of these. Qt's readers are not even loaded for a JPEG that libjpeg
    // decodes; only a damaged one goes to Qt, which names the damage.
    if (&format == &kJpegFormat)
        if (std::optional<TPicture> direct = Decode_Jpeg_Directly(picture, reduction, what))
            return std::move(*direct);
    if (!installed(format))
        throw Exception(std::string(format.title) + " pictures cannot be read here: Qt's " +
                        format.title + " image reader is not installed");
    const LibraryMessages messages;
    QBuffer buffer;
    buffer.setData(picture);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.qtName);
    // Asking loads Qt's reader for the format, and the library under it.
    reader.canRead();
    routeTiffMessagesThroughQt();
    // Photographs are often stored sideways with a note to turn them; the
    // turn keeps the number of pixels.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid())
        throw Exception(refusal(format, what, "is unreadable", reader, messages, picture.size()));
    if (pixelsOf(size) > kMaxPicturePixels)
        throw Exception("the " + what + " picture has " + Too_Many_Pixels_Text(size.width(), size.height()));
    QImageReader::setAllocationLimit(kQtAllocationLimitMegabytes);
    QImage image;
    if (!reader.read(&image))
        throw Exception(refusal(format, what, "cannot be decoded", reader, messages, picture.size()));
    if (pixelsOf(image.size()) > kMaxPicturePixels)
        throw Exception("the " + what + " picture decodes to " + Too_Many_Pixels_Text(image.width(), image.height()));
    const QImage converted = overBlack(std::move(image));
    if (converted.isNull())
        throw std::bad_alloc();
    TPicture loaded;
    loaded.Assign(converted);
    return loaded;
}

std::string Readable_Picture_Patterns() {
    std::string patterns = "*.bmp";
    for (const QtPictureFormat* format : kQtFormats)
        if (installed(*format))
            patterns += std::string(" ") + format->patterns;
    return patterns;
}
