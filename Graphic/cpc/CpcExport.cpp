#include "CpcExport.h"

#include <utility>

#include "AmsdosHeader.h"
#include "BasicLoader.h"
#include "CpcDataDisc.h"
#include "DiscImage.h"
#include "DiscListing.h"
#include "Engine.h"
#include "ModePacking.h"
#include "OcpPalette.h"
#include "OverscanViewer.h"
#include "RawSprite.h"
#include "Zx0Encoder.h"

namespace {

constexpr const char* kScreenExtension = "SCR";
constexpr const char* kPaletteExtension = "PAL";
constexpr const char* kSpriteExtension = "DAT";
constexpr const char* kLoaderName = "DISC";
constexpr const char* kLoaderExtension = "BAS";
constexpr const char* kViewerName = "VIEW";
constexpr const char* kViewerExtension = "BIN";
constexpr const char* kPackedExtension = "ZX0";

// Writes the disc of files and says what it holds.
std::string writeDisc(const std::vector<DiscFile>& files, std::size_t screenBytes, const std::string& fileName) {
    Write_Disc_Image(Cpc_Data_Disc(files), fileName);
    return Disc_Listing(files, screenBytes);
}

// The disc of a screen file (its bytes with their header) and the palette
// and loader of the inks in mode.
std::string saveDisc(std::vector<std::uint8_t> screenFile, const InkList& inks, const ScreenMode& mode,
              const std::string& name, const std::string& fileName) {
    const std::vector<DiscFile> files = {
        {name, kScreenExtension, std::move(screenFile)},
        {name, kPaletteExtension, Palette_File_With_Header(inks, mode, name)},
        {kLoaderName, kLoaderExtension, Basic_Loader(name + "." + kScreenExtension, inks, mode)},
    };
    return writeDisc(files, 0, fileName);
}

} // namespace

std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name) {
    return With_Amsdos_Header({name, kScreenExtension, kScreenLoadAddress},
                              Screen_File_Bytes(result, inks));
}

std::vector<std::uint8_t> Palette_File_With_Header(const InkTable& inks, const std::string& name) {
    return With_Amsdos_Header({name, kPaletteExtension, kOcpPaletteLoadAddress}, Ocp_Palette(inks));
}

std::vector<std::uint8_t> Sprite_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name, int loadAddress) {
    return With_Amsdos_Header({name, kSpriteExtension, loadAddress}, Raw_Sprite(result, inks));
}

std::string Save_Picture_Disc(const TPicture& result, const InkTable& inks, const std::string& name,
                              const std::string& fileName) {
    return saveDisc(Screen_File_With_Header(result, inks, name), Ink_List_Of(inks),
             Screen_Mode(kDefaultScreenMode), name, fileName);
}

std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkList& inks,
                                                  const ScreenMode& mode, const std::string& name) {
    return With_Amsdos_Header({name, kScreenExtension, kScreenLoadAddress},
                              Mode_Screen_File_Bytes(result, inks, mode));
}

std::vector<std::uint8_t> Palette_File_With_Header(const InkList& inks, const ScreenMode& mode,
                                                   const std::string& name) {
    return With_Amsdos_Header({name, kPaletteExtension, kOcpPaletteLoadAddress},
                              Ocp_Palette(inks, mode));
}

std::vector<std::uint8_t> Sprite_File_With_Header(const TPicture& result, const InkList& inks,
                                                  const ScreenMode& mode, const std::string& name,
                                                  int loadAddress) {
    return With_Amsdos_Header({name, kSpriteExtension, loadAddress},
                              Pack_Mode_Rows(result, inks, mode));
}

std::string Save_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                              const std::string& name, const std::string& fileName) {
    return saveDisc(Screen_File_With_Header(result, inks, mode, name), inks, mode, name, fileName);
}

std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkList& inks,
                                                  const ScreenMode& mode, const ScreenGeometry& geometry,
                                                  const std::string& name) {
    return With_Amsdos_Header({name, kScreenExtension, geometry.baseAddress},
                              Mode_Screen_File_Bytes(result, inks, mode, geometry));
}

std::string Save_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                              const ScreenGeometry& geometry, const std::string& name, const std::string& fileName) {
    if (geometry.screen == TScreen::Standard)
        return Save_Picture_Disc(result, inks, mode, name, fileName);
    const std::string pictureFile = name + "." + kScreenExtension;
    const std::string viewerFile = std::string(kViewerName) + "." + kViewerExtension;
    const std::vector<DiscFile> files = {
        {name, kScreenExtension,
         With_Amsdos_Header({name, kScreenExtension, kViewerPictureAddress},
                            Mode_Screen_File_Bytes(result, inks, mode, geometry))},
        {name, kPaletteExtension, Palette_File_With_Header(inks, mode, name)},
        {kViewerName, kViewerExtension,
         With_Amsdos_Header({kViewerName, kViewerExtension, kViewerLoadAddress},
                            Overscan_Viewer(inks, mode, geometry))},
        {kLoaderName, kLoaderExtension,
         Viewer_Loader(viewerFile, kViewerLoadAddress, pictureFile, kViewerPictureAddress)},
    };
    return writeDisc(files, 0, fileName);
}

std::string Save_Packed_Picture_Disc(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                                     const ScreenGeometry& geometry, const std::string& name,
                                     const std::string& fileName) {
    const std::vector<std::uint8_t> screen = Mode_Screen_File_Bytes(result, inks, mode, geometry);
    const std::vector<std::uint8_t> stream = Zx0_Compress(screen);
    const std::string pictureFile = name + "." + kPackedExtension;
    const std::string viewerFile = std::string(kViewerName) + "." + kViewerExtension;
    const std::vector<DiscFile> files = {
        {kLoaderName, kLoaderExtension,
         Viewer_Loader(viewerFile, kViewerLoadAddress, pictureFile, kPackedPictureAddress)},
        {kViewerName, kViewerExtension,
         With_Amsdos_Header({kViewerName, kViewerExtension, kViewerLoadAddress},
                            Packed_Viewer(inks, mode, geometry, static_cast<int>(stream.size())))},
        {name, kPackedExtension, With_Amsdos_Header({name, kPackedExtension, kPackedPictureAddress}, stream)},
    };
    return writeDisc(files, screen.size(), fileName);
}
