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
// gives for its size (full size without one; each side rounded up). A CMYK
// picture is converted row by row; a picture stored turned (as its last Exif
// block says, as Qt's reader reads it) is turned upright as its rows come.
// Comment and application segments are passed over where they lie, never
// kept. Nothing for more than kMaxPicturePixels, or any fault (Qt's reader
// then names it). Raises an
// Exception when the reduction gives a divisor not in kJpegDivisors. What
// libjpeg says on the way is kept from the terminal. A stream whose data ends
// before the last row is refused: "damaged JPEG (its data is cut short)",
// `what` naming the stream.
std::optional<TPicture> Decode_Jpeg_Directly(const QByteArray& stream,
                                             const TDecodeReduction& reduction = {},
                                             const std::string& what = "JPEG");
