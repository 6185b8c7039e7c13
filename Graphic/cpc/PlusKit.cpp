#include "PlusKit.h"

#include <algorithm>

#include "AmsdosHeader.h"

std::array<std::uint8_t, kKitBytes> Plus_Kit(const InkList& inks, const ScreenMode& mode) {
    const auto pensAndBorder = Asic_Pens_And_Border(inks, mode);
    std::array<std::uint8_t, kKitBytes> kit{};
    std::copy_n(pensAndBorder.begin(), kKitBytes, kit.begin()); // the pens, not the border
    return kit;
}

std::vector<std::uint8_t> Kit_File_With_Header(const InkList& inks, const ScreenMode& mode,
                                               const std::string& name) {
    return With_Amsdos_Header({name, kKitExtension, kKitLoadAddress}, Plus_Kit(inks, mode));
}
