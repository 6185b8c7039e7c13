// Fuzz target for the palette reader: any input gives the palette's contents
// or an Exception, never a crash or an out-of-bounds access. Built and run
// by scripts/fuzz.
#include <cstddef>
#include <cstdint>
#include <span>

#include "OcpPalette.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)Ocp_Palette_Contents(std::span<const std::uint8_t>(data, size));
    } catch (const Exception&) {
    }
    return 0;
}
