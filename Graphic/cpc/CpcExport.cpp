#include "CpcExport.h"

#include "AmsdosHeader.h"
#include "BasicLoader.h"
#include "CpcDataDisc.h"
#include "DiscImage.h"
#include "Engine.h"
#include "OcpPalette.h"
#include "RawSprite.h"

namespace {

constexpr const char* kScreenExtension = "SCR";
constexpr const char* kPaletteExtension = "PAL";
constexpr const char* kSpriteExtension = "DAT";
constexpr const char* kLoaderName = "DISC";
constexpr const char* kLoaderExtension = "BAS";

} // namespace

std::vector<std::uint8_t> Screen_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name) {
    return With_Amsdos_Header({name, kScreenExtension, kScreenLoadAddress}, Screen_File_Bytes(result, inks));
}

std::vector<std::uint8_t> Palette_File_With_Header(const InkTable& inks, const std::string& name) {
    return With_Amsdos_Header({name, kPaletteExtension, kOcpPaletteLoadAddress}, Ocp_Palette(inks));
}

std::vector<std::uint8_t> Sprite_File_With_Header(const TPicture& result, const InkTable& inks,
                                                  const std::string& name, int loadAddress) {
    return With_Amsdos_Header({name, kSpriteExtension, loadAddress}, Raw_Sprite(result, inks));
}

void Save_Picture_Disc(const TPicture& result, const InkTable& inks, const std::string& name,
                       const std::string& fileName) {
    const std::vector<DiscFile> files = {
        {name, kScreenExtension, Screen_File_With_Header(result, inks, name)},
        {name, kPaletteExtension, Palette_File_With_Header(inks, name)},
        {kLoaderName, kLoaderExtension, Basic_Loader(name + "." + kScreenExtension, inks)},
    };
    Write_Disc_Image(Cpc_Data_Disc(files), fileName);
}
