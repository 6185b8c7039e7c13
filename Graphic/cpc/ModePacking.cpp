#include "ModePacking.h"

#include <memory>

#include "Engine.h"
#include "SysUtils.h"

namespace {

constexpr int kNoInk = -1;

// The first ink of the pixel's colour, or kNoInk.
int inkOf(const std::uint8_t* bgr, const InkList& inks) {
    for (std::size_t k = 0; k < inks.size(); ++k)
        if (inks[k] == Ink{bgr[2], bgr[1], bgr[0]})
            return static_cast<int>(k);
    return kNoInk;
}

} // namespace

std::vector<std::uint8_t> Pack_Mode_Rows(const TPicture& result, const InkList& inks,
                                         const ScreenMode& mode) {
    if (result.GetPixelFormat() != TPixelFormat::pf24bit)
        throw Exception("Packing screen bytes needs a 24-bit picture");
    if (static_cast<int>(inks.size()) > mode.inkCount)
        throw Exception("Mode " + IntToStr(mode.number) + " has " + IntToStr(mode.inkCount) +
                        " inks, not " + IntToStr(static_cast<int>(inks.size())));
    const int width = result.GetWidth();
    const std::size_t stride = static_cast<std::size_t>(Packed_Row_Bytes(mode, width));
    std::vector<std::uint8_t> packed(stride * static_cast<std::size_t>(result.GetHeight()));
    for (int y = 0; y < result.GetHeight(); ++y) {
        const std::uint8_t* pixel = result.GetScanline(y);
        std::uint8_t* row = packed.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const int ink = inkOf(pixel, inks);
            if (ink == kNoInk)
                throw Exception("Pixel " + IntToStr(x) + ", " + IntToStr(y) +
                                " of the result is none of the " +
                                IntToStr(static_cast<int>(inks.size())) + " inks");
            const auto& bits = mode.pixelBit[static_cast<std::size_t>(x % mode.pixelsPerByte)];
            for (int k = 0; k < mode.bitsPerPixel; ++k)
                if (ink >> k & 1)
                    row[x / mode.pixelsPerByte] |=
                        static_cast<std::uint8_t>(1u << bits[static_cast<std::size_t>(k)]);
        }
    }
    return packed;
}

int Packed_Pixel_Ink(const ScreenMode& mode, std::uint8_t byte, int pixel) {
    const auto& bits = mode.pixelBit[static_cast<std::size_t>(pixel)];
    int ink = 0;
    for (int k = 0; k < mode.bitsPerPixel; ++k)
        ink |= (byte >> bits[static_cast<std::size_t>(k)] & 1) << k;
    return ink;
}

std::uint8_t Packed_Pixel_Bits(const ScreenMode& mode, int pixel) {
    const auto& bits = mode.pixelBit[static_cast<std::size_t>(pixel)];
    unsigned mask = 0;
    for (int k = 0; k < mode.bitsPerPixel; ++k)
        mask |= 1u << bits[static_cast<std::size_t>(k)];
    return static_cast<std::uint8_t>(mask);
}

bool Fits_Mode_Screen(const TPicture& result, const ScreenMode& mode) {
    return result.GetWidth() == mode.width && result.GetHeight() == mode.height;
}

std::string Screen_Size_Message(const ScreenMode& mode) {
    if (mode.number == kDefaultScreenMode)
        return kScreenSizeMessage;
    return "This image hasn't the right dimensions. a .scr file in mode " + IntToStr(mode.number) +
           " must be " + IntToStr(mode.width) + "x" + IntToStr(mode.height) + ".";
}

std::string Screen_Needs(const ScreenMode& mode, const ScreenGeometry&) {
    return "a full-screen mode " + IntToStr(mode.number) + " picture needs";
}

std::vector<std::uint8_t> Mode_Screen_File_Bytes(const TPicture& result, const InkList& inks,
                                                 const ScreenMode& mode, const ScreenGeometry& geometry) {
    if (geometry.screen == TScreen::Standard) {
        if (!Fits_Mode_Screen(result, mode))
            throw Exception(Screen_Size_Message(mode));
        const std::vector<std::uint8_t> packed = Pack_Mode_Rows(result, inks, mode);
        std::unique_ptr<std::uint8_t[]> screen;
        CPC_Screen_Layout(packed.data(), screen);
        return {screen.get(), screen.get() + kScreenBytes};
    }
    const ScreenMode onScreen = Mode_On_Screen(mode, geometry);
    if (!Fits_Mode_Screen(result, onScreen))
        throw Exception(Screen_Needs(mode, geometry) + " " + IntToStr(onScreen.width) + " x " +
                        IntToStr(onScreen.height));
    return Screen_Memory_Layout(Pack_Mode_Rows(result, inks, onScreen), geometry);
}
