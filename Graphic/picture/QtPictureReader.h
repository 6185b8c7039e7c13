#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>
#include <string>

#include "Picture.h"

// Picture formats read through Qt's image readers: JPEG and GIF always, WebP
// and TIFF where Qt's extra image format plugins are installed. PNG is read
// by libpng, and JPEG by libjpeg, straight into the picture. BMP keeps its
// own reader.
struct QtPictureFormat {
    const char* qtName;   // the format's name for QImageReader
    const char* title;    // its name in messages
    const char* patterns; // file name patterns for the open dialog
    // Looks at the stream before Qt does and returns what Qt is to read: the
    // stream, or only the part that makes the picture. Raises an Exception
    // for a stream that would cost more than its picture. nullptr where
    // Qt's own probe of the declared size is enough.
    QByteArray (*screen)(QByteArray stream, const std::string& what);
};

extern const QtPictureFormat kPngFormat;
extern const QtPictureFormat kJpegFormat;

// The format a file's first bytes announce, or nullptr when they announce
// none of these formats (a BMP file, or a file of no format we read).
const QtPictureFormat* qtPictureFormatOf(std::span<const std::uint8_t> bytes);

// The format whose first bytes a file holds but ends within them (a 10-byte
// WebP file), or nullptr.
const QtPictureFormat* qtPictureFormatCutIn(std::span<const std::uint8_t> bytes);

// Decodes the first picture (first frame) of stream. The stream is screened
// by its format first, and the size its header declares is checked against
// kMaxPicturePixels before any pixel is decoded. Transparent pixels are laid
// over black; the picture is 24-bit. Raises an Exception whose text is the
// reason, with `what` naming the stream ("PNG", "embedded JPEG", ...); what
// Qt and the libraries print on the way never reaches the terminal. A JPEG is
// decoded by libjpeg straight into the picture, at the reduction asked for,
// without loading Qt's readers (a damaged one goes on to Qt), and a PNG by
// libpng; anything else through Qt at full size.
TPicture decodeWithQt(QByteArray stream, const QtPictureFormat& format,
                      const std::string& what, const TDecodeReduction& reduction = {});

// The patterns of every picture file this program can read here, BMP
// first, separated by spaces: "*.bmp *.png *.jpg ...".
std::string Readable_Picture_Patterns();
