#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QImage;

// How a picture's pixels are stored. Pictures made by the program and loaded
// from files are 24-bit; one taken over from another image (Assign) keeps
// that image's layout until it is made 24-bit.
enum class TPixelFormat { pfDevice, pf24bit };

// The picture file formats a picture can be saved as.
enum class TPictureFileFormat { Bmp, Png };

// How much smaller a picture may be decoded, given its full width and height:
// a divisor of 1, 2, 4 or 8. Only JPEG files decode smaller (each side
// divided, rounded up); other formats ignore it. Empty: full size.
using TDecodeReduction = std::function<int(int width, int height)>;

// A rectangular picture. Once made 24-bit, row y (0 is the top) holds width x 3
// bytes, blue, green, red per pixel. Rows are fetched one at a time; nothing
// may assume they follow one another in memory.
class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;
    TPicture(TPicture&&) noexcept;
    TPicture& operator=(TPicture&&) noexcept;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // Resize; pixels present before keep their value, new ones are unspecified.
    void SetWidth(int width);
    void SetHeight(int height);

    TPixelFormat GetPixelFormat() const { return mFormat; }
    // Converts the stored pixels to the 24-bit layout, keeping size and look.
    void SetPixelFormat(TPixelFormat format);

    // The bytes of row y, or nullptr when y is not a row of the picture.
    std::uint8_t* GetScanline(int y);
    const std::uint8_t* GetScanline(int y) const;

    // Replaces the picture by a picture file's: BMP, PNG, JPEG, GIF (its first
    // frame), and WebP and TIFF where Qt reads them. Transparent pixels are
    // laid over black. A file that cannot be read
    // raises an Exception naming the file and the reason, and leaves the
    // picture exactly as it was. With a reduction, a JPEG file may be
    // decoded smaller (see TDecodeReduction).
    void LoadFromFile(const std::string& fileName, const TDecodeReduction& reduction = {});
    // Writes the picture as a BMP file (24 bits per pixel once it is 24-bit)
    // or as a PNG file. Raises an Exception naming the file and the reason
    // when it cannot be written; an existing file of that name is then left
    // as it was.
    void SaveToFile(const std::string& fileName, TPictureFileFormat format = TPictureFileFormat::Bmp) const;

    // The pixels as an image, for drawing; a null image when the picture is empty.
    const QImage& Image() const;
    // Takes over an image of any format, as a loaded file would be taken over.
    void Assign(const QImage& image);

private:
    void reallocate(int width, int height);

    int mWidth = 0;
    int mHeight = 0;
    TPixelFormat mFormat = TPixelFormat::pf24bit;
    std::unique_ptr<QImage> mImage;
};

// The pictures the engine refuses to hold: past this many pixels a picture is
// larger than any screen conversion needs and could exhaust memory. Fuzzing
// builds lower it, so that every input loads and converts in a moment.
#ifdef TINTORA_FUZZ_MAX_PICTURE_PIXELS
inline constexpr long long kMaxPicturePixels = TINTORA_FUZZ_MAX_PICTURE_PIXELS;
#else
inline constexpr long long kMaxPicturePixels = 100'000'000;
#endif

// The reason a picture of width x height is refused for its size: "more than
// 100 megapixels (16383 x 16383)".
std::string Too_Many_Pixels_Text(long long width, long long height);

// One ink, in the table's byte order red, green, blue.
struct Ink {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Ink&, const Ink&) = default;
};

// The four inks of the mode 1 screen; the index is the ink number the screen
// file stores for a pixel.
using InkTable = std::array<Ink, 4>;

inline constexpr int kInkCount = 4;
inline constexpr int kColourCount = 27;

// The plain sum R + G + B, 0..765.
inline int Ink_Level(const Ink& ink) { return ink.r + ink.g + ink.b; }

// Black, dark red, orange and white, in channel values 0, 128 and 255.
void Reset_Ink_Table(InkTable& inks);

// The ink of CPC colour number n (0..26) = 9 green + 3 red + blue, each
// intensity 0..2 stored as 0, 127 or 254.
Ink Ink_From_Colour_Number(int number);

// The CPC colour number (0..26) of an ink: each channel 0, 127 or 128, 254 or
// 255 is intensity 0, 1 or 2 (any other value counts as the nearest of them),
// and the number is 9 green + 3 red + blue. BASIC's INK takes this number.
int Colour_Number_Of_Ink(const Ink& ink);

// The gate array byte (&40 + hardware colour code) that shows colour number n,
// indexed by n (0..26).
extern const std::uint8_t Hardware_Colour_Byte[kColourCount];

// Sets ink k (0..3) from a colour number given as decimal text. Raises an
// Exception when the text is not a number from 0 to 26 or k is not an ink.
void Set_Ink_From_Text(InkTable& inks, int k, const std::string& colourNumberText);
