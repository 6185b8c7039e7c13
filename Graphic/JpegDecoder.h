#pragma once

#include <QByteArray>
#include <optional>

#include "Picture.h"

// libjpeg's own reductions: a JPEG decodes at 1/1, 1/2, 1/4 or 1/8 of its
// size for little more than the cost of the smaller picture.
inline constexpr int kJpegDivisors[] = {1, 2, 4, 8};

// Decodes a JPEG stream with libjpeg straight into the rows of a 24-bit
// picture at 1 / divisor of its size (divisor one of kJpegDivisors; each side
// rounded up), with no picture in between. Nothing for a stream it leaves to
// Qt's reader: CMYK colours, or any fault (Qt's reader then names it). What
// libjpeg says on the way is kept from the terminal.
std::optional<TPicture> Decode_Jpeg_Directly(const QByteArray& stream, int divisor);
