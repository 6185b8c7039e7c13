// Fuzz target for the ZX0 decoder: any input, read in either format, gives
// at most 64 KB of data or an Exception, never a crash, a hang or an
// out-of-bounds access. Built and run by scripts/fuzz.
#include <cstddef>
#include <cstdint>
#include <span>

#include "SysUtils.h"
#include "Zx0Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const Zx0Version version : {Zx0Version::Current, Zx0Version::Classic}) {
        try {
            (void)Zx0_Decompress(std::span<const std::uint8_t>(data, size), version, 0x10000);
        } catch (const Exception&) {
        }
    }
    return 0;
}
