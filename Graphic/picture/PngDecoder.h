#pragma once

#include <QByteArray>
#include <string>

#include "Picture.h"

// Decodes a PNG stream with libpng straight into the rows of a 24-bit
// picture: palettes, grey, low and 16-bit depths are widened or narrowed to
// 8-bit blue, green, red, and transparent pixels are laid over black. Only
// the chunks the walk keeps reach libpng, and the image data is unpacked once
// and only as far as the picture's last row: data after it is never
// unpacked. Raises an Exception with the reason, `what` naming the stream
// ("PNG", "embedded PNG"); "its data is cut short" when the image data ends
// before the last row. What libpng says on the way is kept from the terminal.
TPicture Decode_Png(const QByteArray& png, const std::string& what);
