#pragma once

#include <QByteArray>
#include <optional>
#include <string>

#include "Picture.h"

// libjpeg's own reductions: a JPEG decodes at 1/1, 1/2, 1/4 or 1/8 of its
// size for little more than the cost of the smaller picture.
inline constexpr int kJpegDivisors[] = {1, 2, 4, 8};

// Decodes a JPEG stream with libjpeg straight into the rows of a 24-bit
// picture, with no picture in between, at 1 / the divisor the reduction
// gives for its size (full size without one; each side rounded up). Nothing
// for a stream it leaves to Qt's reader: CMYK colours, a picture stored
// turned (an Exif orientation other than 1, or one it cannot read), more
// than kMaxPicturePixels, or any fault (Qt's reader then names it). Raises an
// Exception when the reduction gives a divisor not in kJpegDivisors. What
// libjpeg says on the way is kept from the terminal. A stream whose data ends
// before the last row is refused: "damaged JPEG (its data is cut short)",
// `what` naming the stream.
std::optional<TPicture> Decode_Jpeg_Directly(const QByteArray& stream,
                                             const TDecodeReduction& reduction = {},
                                             const std::string& what = "JPEG");
