#include "QtPictureReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <new>
#include <utility>

#include "SysUtils.h"

const QtPictureFormat kPngFormat{"png", "PNG", "*.png"};
const QtPictureFormat kJpegFormat{"jpeg", "JPEG", "*.jpg *.jpeg"};

namespace {

const QtPictureFormat kGifFormat{"gif", "GIF", "*.gif"};
const QtPictureFormat kWebPFormat{"webp", "WebP", "*.webp"};
const QtPictureFormat kTiffFormat{"tiff", "TIFF", "*.tif *.tiff"};

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

} // namespace

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

TPicture decodeWithQt(const QByteArray& stream, const QtPictureFormat& format,
                      const std::string& what) {
    if (!installed(format))
        throw Exception(std::string(format.title) + " pictures cannot be read here: Qt's " +
                        format.title + " image reader is not installed");
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.qtName);
    // Photographs are often stored sideways with a note to turn them; the
    // turn keeps the number of pixels.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid())
        throw Exception("the " + what + " picture is unreadable (" +
                        reader.errorString().toStdString() + ")");
    if (pixelsOf(size) > kMaxPicturePixels)
        throw Exception("the " + what + " picture's size " + IntToStr(size.width()) + " x " +
                        IntToStr(size.height()) + " exceeds the 100-megapixel limit");
    QImageReader::setAllocationLimit(kQtAllocationLimitMegabytes);
    QImage image;
    if (!reader.read(&image))
        throw Exception("the " + what + " picture cannot be decoded (" +
                        reader.errorString().toStdString() + ")");
    if (pixelsOf(image.size()) > kMaxPicturePixels)
        throw Exception("the " + what + " picture decodes to " + IntToStr(image.width()) + " x " +
                        IntToStr(image.height()) + " pixels, more than the 100-megapixel limit");
    const QImage converted = overBlack(std::move(image));
    if (converted.isNull())
        throw std::bad_alloc();
    TPicture picture;
    picture.Assign(converted);
    return picture;
}

std::string Readable_Picture_Patterns() {
    std::string patterns = "*.bmp";
    for (const QtPictureFormat* format : kQtFormats)
        if (installed(*format))
            patterns += std::string(" ") + format->patterns;
    return patterns;
}
