#include "ExifOrientation.h"

namespace {

constexpr std::uint32_t kTiffMagic = 42;
constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;
constexpr std::size_t kEntryBytes = 12;

// Unsigned numbers of the block in its byte order; nothing past its end.
class TiffBytes {
  public:
    explicit TiffBytes(std::span<const std::uint8_t> bytes) : mBytes(bytes) {}

    // Reads the byte order mark; false when there is none.
    bool readOrder() {
        if (mBytes.size() < 2 || mBytes[0] != mBytes[1])
            return false;
        mLittle = mBytes[0] == 'I';
        return mLittle || mBytes[0] == 'M';
    }

    std::optional<std::uint32_t> at(std::size_t offset, std::size_t length) const {
        if (offset > mBytes.size() || mBytes.size() - offset < length)
            return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t shift = 8 * (mLittle ? i : length - 1 - i);
            value |= static_cast<std::uint32_t>(mBytes[offset + i]) << shift;
        }
        return value;
    }

  private:
    std::span<const std::uint8_t> mBytes;
    bool mLittle = true;
};

} // namespace

std::optional<int> Exif_Orientation(std::span<const std::uint8_t> block) {
    TiffBytes tiff(block);
    if (!tiff.readOrder() || tiff.at(2, 2) != kTiffMagic)
        return std::nullopt;
    // Header: byte order (2), 42 (2), offset of the first directory (4).
    const std::optional<std::uint32_t> directory = tiff.at(4, 4);
    if (!directory)
        return std::nullopt;
    const std::optional<std::uint32_t> count = tiff.at(*directory, 2);
    if (!count)
        return std::nullopt;
    for (std::size_t i = 0; i < *count; ++i) {
        // Entry: tag (2), type (2), count (4), value or its offset (4); a
        // single short sits in the first two bytes of the value.
        const std::size_t entry = std::size_t{*directory} + 2 + i * kEntryBytes;
        const std::optional<std::uint32_t> tag = tiff.at(entry, 2);
        if (!tag)
            return std::nullopt;
        if (*tag != kOrientationTag)
            continue;
        const std::optional<std::uint32_t> value = tiff.at(entry + 8, 2);
        if (tiff.at(entry + 2, 2) != kShortType || !value)
            return std::nullopt;
        return static_cast<int>(*value);
    }
    return std::nullopt;
}
