#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

// A Windows or OS/2 bitmap file decoded by our own reader, standard library
// only. Every header field and every pixel is checked; a file that is not
// exactly readable is refused with a BmpError whose text gives the reason.
// Rows named in messages count from the top of the picture, starting at 0.

class BmpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A compressed picture of another format carried inside the bitmap file
// (BI_JPEG / BI_PNG with a Windows header); the caller decodes those bytes.
enum class BmpEmbeddedKind { None, Png, Jpeg };

struct BmpEmbedded {
    BmpEmbeddedKind kind = BmpEmbeddedKind::None;
    std::size_t offset = 0; // first byte of the embedded stream in the file
    std::size_t length = 0; // its length in bytes
};

// What the headers declare, after validation.
struct BmpLayout {
    int width = 0;
    int height = 0; // always positive; topDown tells the storage order
    int bitsPerPixel = 0;
    std::uint32_t headerSize = 0;
    std::string compression; // "BI_RGB", "BI_RLE8", "OS/2 RLE24", ...
    bool topDown = false;
    BmpEmbedded embedded;
};

// Where the decoded rows go. bmpSize is called once, with the validated size,
// before any row is asked for; bmpRow(y) returns the destination of row y
// (0 is the top): width x 3 bytes, blue, green, red. Rows may be asked for in
// any order, each once. When decoding fails part way, rows already written
// hold a partial picture that the caller must discard.
class BmpRowTarget {
  public:
    virtual ~BmpRowTarget() = default;
    virtual void bmpSize(int width, int height) = 0;
    virtual std::uint8_t* bmpRow(int y) = 0;
};

// Validates the whole file and decodes its pixels into the target. For a file
// that embeds a PNG or JPEG stream the target is left untouched and the
// stream's place is returned in layout.embedded. Raises BmpError on any fault.
BmpLayout decodeBmp(std::span<const std::uint8_t> file, BmpRowTarget& target);

// Where the rows of an uncompressed 24-bit bitmap lie, when the file's first
// bytes (start, headers included) and its length (fileBytes) show it is one
// whose rows are all there: stored rows of stride bytes from offset on, each
// holding width x 3 bytes blue, green, red, bottom row first unless topDown.
// Such rows are the picture's own bytes and can be read straight into it.
// Empty for any other file, a faulty one included: decodeBmp then reads it
// and gives the reason.
struct BmpPlainRows {
    int width = 0;
    int height = 0;
    bool topDown = false;
    std::size_t offset = 0;
    std::size_t stride = 0;
};
std::optional<BmpPlainRows> plainBmpRows(std::span<const std::uint8_t> start,
                                         std::uint64_t fileBytes);
