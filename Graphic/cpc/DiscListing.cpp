#include "DiscListing.h"

#include "AmsdosHeader.h"

namespace {

constexpr const char* kPackedExtension = "ZX0";

// 6412 as "6,412".
std::string withThousands(std::size_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            text += ',';
        text += digits[k];
    }
    return text;
}

} // namespace

std::string Disc_Listing(const std::vector<DiscFile>& files, std::size_t screenBytes) {
    std::string line = "disc: ";
    for (std::size_t k = 0; k < files.size(); ++k) {
        const DiscFile& file = files[k];
        line += (k ? ", " : "") + file.name + (file.extension.empty() ? "" : "." + file.extension);
        if (file.extension == kPackedExtension && file.data.size() >= kAmsdosHeaderBytes && screenBytes > 0) {
            const std::size_t packed = file.data.size() - kAmsdosHeaderBytes;
            line += " (" + withThousands(packed) + " bytes, " +
                    std::to_string((packed * 100 + screenBytes / 2) / screenBytes) + " % of the screen)";
        }
    }
    const std::size_t used = Cpc_Data_Disc_Used_Bytes(files);
    const std::size_t free = used < kDiscDataBytes ? kDiscDataBytes - used : 0;
    return line + "; " + std::to_string(free / kDiscBlockBytes) + " KB free";
}
