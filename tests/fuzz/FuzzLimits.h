#pragma once

#include <cstdint>
#include <span>

// Pictures larger than this are declined by the fuzz targets: the reader's
// checks of big sizes are the same as of small ones, and converting a
// picture of many megapixels at sanitizer speed only makes runs time out.
inline constexpr long long kFuzzPixelLimit = 1 << 22;

// True when the file's declared picture (a bitmap's, a picture of another
// format's, or that of the PNG or JPEG stream a bitmap carries) is within the limit, or when the reader refuses the headers.
bool FuzzSizeAllowed(std::span<const std::uint8_t> file);
