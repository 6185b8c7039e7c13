#pragma once

#include <QByteArray>
#include <functional>
#include <span>
#include <string>

// Walks a PNG stream's chunks and hands the decoder only those that make its
// picture: the signature, then IHDR, PLTE, IDAT and IEND (the picture
// itself) and tRNS (which pixels are transparent), in order, each whole
// (length, type, data, checksum). Every other ancillary chunk (text,
// compressed text, ICC profiles, gamma and colour notes, animation frames,
// private chunks) and anything after IEND is passed over: none of them
// changes the pixels the program uses, and the compressed ones can unpack to
// far more memory than the picture takes.
//
// Each kept chunk's checksum is checked; a tRNS chunk with a bad checksum is
// dropped, as libpng drops a damaged ancillary chunk. The declared size is
// checked against kMaxPicturePixels. The image data is not unpacked here: the
// decoder unpacks it once. Nothing is kept per chunk, so a run of millions of
// empty chunks costs time in proportion to the file and no memory. Raises an
// Exception with the reason ("damaged PNG (bad checksum in chunk IDAT)"),
// `what` naming the stream ("PNG", "embedded PNG"). It must start with the
// PNG signature.
void walkPngPictureChunks(const QByteArray& png, const std::string& what,
                          const std::function<void(std::span<const unsigned char>)>& keep);
