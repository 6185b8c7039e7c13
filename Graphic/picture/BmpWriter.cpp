#include "BmpWriter.h"

#include "Picture.h"
#include "RawFile.h"

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
static_assert(kBmpHeaderBytes == kFileHeaderBytes + kInfoHeaderBytes);

void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

} // namespace

std::size_t Bmp_Row_Bytes(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

std::array<std::uint8_t, kBmpHeaderBytes> Bmp_Header(int width, int height, int dotsPerMetreX,
                                                     int dotsPerMetreY) {
    const auto imageBytes =
        static_cast<std::uint32_t>(Bmp_Row_Bytes(width) * static_cast<std::size_t>(height));
    std::array<std::uint8_t, kBmpHeaderBytes> h{};
    std::uint8_t* p = h.data();
    p[0] = 'B'; // bfType: "BM"
    p[1] = 'M';
    put32(p + 2,
          static_cast<std::uint32_t>(kBmpHeaderBytes) + imageBytes); // bfSize: the whole file
    put16(p + 6, 0);                                                 // bfReserved1
    put16(p + 8, 0);                                                 // bfReserved2
    put32(p + 10, static_cast<std::uint32_t>(kBmpHeaderBytes)); // bfOffBits: where the rows start
    put32(p + 14, kInfoHeaderBytes);                            // biSize: BITMAPINFOHEADER
    put32(p + 18, static_cast<std::uint32_t>(width));           // biWidth
    put32(p + 22, static_cast<std::uint32_t>(height));          // biHeight: positive, bottom-up
    put16(p + 26, 1);                                           // biPlanes
    put16(p + 28, 24);                                          // biBitCount
    put32(p + 30, 0);                                           // biCompression: BI_RGB
    put32(p + 34, imageBytes);                                  // biSizeImage
    put32(p + 38, static_cast<std::uint32_t>(dotsPerMetreX));   // biXPelsPerMeter
    put32(p + 42, static_cast<std::uint32_t>(dotsPerMetreY));   // biYPelsPerMeter
    put32(p + 46, 0);                                           // biClrUsed: no palette
    put32(p + 50, 0);                                           // biClrImportant
    return h;
}

void Write_Bmp(TFileHandle& file, const TPicture& picture, int dotsPerMetreX, int dotsPerMetreY) {
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    const auto header = Bmp_Header(width, height, dotsPerMetreX, dotsPerMetreY);
    FileWrite(file, header.data(), header.size());
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    const std::uint8_t padding[3] = {0, 0, 0};
    for (int y = height - 1; y >= 0; --y) {
        FileWrite(file, picture.GetScanline(y), pixelBytes);
        if (Bmp_Row_Bytes(width) > pixelBytes)
            FileWrite(file, padding, Bmp_Row_Bytes(width) - pixelBytes);
    }
}
