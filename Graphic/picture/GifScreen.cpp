#include "GifScreen.h"

#include <cstdint>

#include "Picture.h"
#include "SysUtils.h"

namespace {

// After the 6-byte signature: screen width (2 bytes, little-endian), screen height (2 bytes).
constexpr qsizetype kScreenWidthAt = 6;
constexpr qsizetype kScreenHeightAt = 8;

long long little16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}

} // namespace

void checkGifScreen(const QByteArray& gif, const std::string& what) {
    if (gif.size() < kScreenHeightAt + 2)
        return;
    const long long width = little16(gif, kScreenWidthAt), height = little16(gif, kScreenHeightAt);
    if (width * height > kMaxPicturePixels)
        throw Exception("the " + what + " picture has " + Too_Many_Pixels_Text(width, height));
}
