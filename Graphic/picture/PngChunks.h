#pragma once

#include <QByteArray>
#include <string>

// A PNG stream cut down to the chunks that make its picture, before any
// decoder sees it. Kept: IHDR, PLTE, IDAT and IEND (the picture itself) and
// tRNS (which pixels are transparent). Dropped: every other ancillary chunk
// (text, compressed text, ICC profiles, gamma and colour notes, animation
// frames, private chunks) and anything after IEND; none of them changes the
// pixels the program uses, and the compressed ones can unpack to far more
// memory than the picture takes.
//
// Each kept chunk's checksum is checked; a tRNS chunk with a bad checksum is
// dropped, as libpng drops a damaged ancillary chunk. The declared size is
// checked against kMaxPicturePixels, and the image data against what a
// picture of that size can hold. Raises an Exception with the reason
// ("damaged PNG (bad checksum in chunk IDAT)"), `what` naming the stream
// ("PNG", "embedded PNG"). The kept chunks are moved together within the
// stream's own bytes (copied only when they are shared), so a file is never
// held twice. It must start with the PNG signature.
QByteArray pngPictureChunks(QByteArray png, const std::string& what);
