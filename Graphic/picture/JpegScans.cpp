#include "JpegScans.h"

#include <cstdint>
#include <cstring>

#include "SysUtils.h"

namespace {

// Markers, each 0xFF then a code; any number of 0xFF may come before the code.
constexpr std::uint8_t kMarkerStart = 0xFF;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
// Markers without a length field: TEM and the restart markers RST0..RST7.
bool standsAlone(std::uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD7); }

} // namespace

void checkJpegScans(const QByteArray& jpeg) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(jpeg.constData());
    const std::size_t size = static_cast<std::size_t>(jpeg.size());
    // After the start-of-image marker: the segments, each a marker and a
    // 2-byte big-endian length that counts itself.
    std::size_t at = 2;
    int scans = 0;
    while (at < size) {
        // Bytes that are no marker (damage, or a scan's coded data) are
        // passed over to the next 0xFF, as the decoder passes over them;
        // inside coded data 0xFF 0x00 is a data byte and RSTn no segment.
        const void* next = std::memchr(bytes + at, kMarkerStart, size - at);
        if (!next)
            break;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - bytes);
        while (at < size && bytes[at] == kMarkerStart)
            ++at;
        if (at == size)
            break;
        const std::uint8_t code = bytes[at++];
        if (code == 0x00 || standsAlone(code))
            continue;
        if (code == kEndOfImage || size - at < 2)
            break;
        if (code == kStartOfScan)
            ++scans;
        at += (std::size_t{bytes[at]} << 8) | bytes[at + 1];
    }
    if (scans > kMaxJpegScans)
        throw Exception("too many scans for a JPEG (" + IntToStr(scans) + ")");
}
