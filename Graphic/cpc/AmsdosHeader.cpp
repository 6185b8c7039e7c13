#include "AmsdosHeader.h"

#include <algorithm>
#include <filesystem>

#include "SysUtils.h"

namespace {

// Header fields, little-endian; every byte not named here is 0.
constexpr std::size_t kUserOffset = 0;           // 1 byte: user number
constexpr std::size_t kNameOffset = 1;           // 8 bytes: name, padded with spaces
constexpr std::size_t kExtensionOffset = 9;      // 3 bytes: extension, padded with spaces
constexpr std::size_t kFileTypeOffset = 18;      // 1 byte: 2 = binary
constexpr std::size_t kLoadAddressOffset = 21;   // 2 bytes: where the file loads
constexpr std::size_t kLogicalLengthOffset = 24; // 2 bytes: length of the data
constexpr std::size_t kEntryAddressOffset = 26;  // 2 bytes: where RUN enters
constexpr std::size_t kRealLengthOffset = 64;    // 3 bytes: length of the data
constexpr std::size_t kChecksumOffset = 67;      // 2 bytes: sum of bytes 0..66
static_assert(kChecksumOffset + 2 <= kAmsdosHeaderBytes);

constexpr std::uint8_t kUser = 0;
constexpr std::uint8_t kBinaryFile = 2;
constexpr long kMaxLogicalLength = 0xFFFF;

bool isCpcCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool takesName(const std::string& text, std::size_t longest) {
    return !text.empty() && text.size() <= longest && std::all_of(text.begin(), text.end(), isCpcCharacter);
}

// text in a field of width characters, padded with spaces.
void putText(std::uint8_t* at, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        at[i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

void putLittle(std::uint8_t* at, unsigned long value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string hexAddress(long address) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string text = "&";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += kDigits[(address >> shift) & 0xF];
    return text;
}

} // namespace

std::string Amsdos_Name(const std::string& wanted) {
    std::string name;
    for (const char c : wanted) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (isCpcCharacter(upper) && name.size() < kAmsdosNameLength)
            name += upper;
    }
    if (name.empty())
        throw Exception("The name \"" + wanted +
                        "\" has no letters or digits left for a CPC file name (A to Z and 0 to 9, at most 8)");
    return name;
}

std::string Amsdos_Name_Of_Path(const std::string& path) {
    return Amsdos_Name(std::filesystem::path(path).stem().string());
}

bool Amsdos_Fits(int loadAddress, std::size_t length) {
    return loadAddress >= 0 && loadAddress < kCpcMemoryBytes && length <= static_cast<std::size_t>(kMaxLogicalLength) &&
           static_cast<long>(length) <= kCpcMemoryBytes - loadAddress;
}

std::array<std::uint8_t, kAmsdosHeaderBytes> Amsdos_Header(const AmsdosFile& file, std::size_t length) {
    const bool extensionTaken = file.extension.empty() || takesName(file.extension, kAmsdosExtensionLength);
    if (!takesName(file.name, kAmsdosNameLength) || !extensionTaken)
        throw Exception("\"" + file.name + "." + file.extension + "\" is not a CPC file name");
    const long load = file.loadAddress;
    if (!Amsdos_Fits(file.loadAddress, length))
        throw Exception("A file of " + std::to_string(length) + " bytes loading at " + hexAddress(load) +
                        " does not fit in the CPC's 64 KB of memory");

    std::array<std::uint8_t, kAmsdosHeaderBytes> header{};
    header[kUserOffset] = kUser;
    putText(&header[kNameOffset], file.name, kAmsdosNameLength);
    putText(&header[kExtensionOffset], file.extension, kAmsdosExtensionLength);
    header[kFileTypeOffset] = kBinaryFile;
    putLittle(&header[kLoadAddressOffset], static_cast<unsigned long>(load), 2);
    putLittle(&header[kLogicalLengthOffset], length, 2);
    putLittle(&header[kEntryAddressOffset], static_cast<unsigned long>(load), 2);
    putLittle(&header[kRealLengthOffset], length, 3);
    unsigned long sum = 0;
    for (std::size_t i = 0; i < kChecksumOffset; ++i)
        sum += header[i];
    putLittle(&header[kChecksumOffset], sum & 0xFFFF, 2);
    return header;
}

std::vector<std::uint8_t> With_Amsdos_Header(const AmsdosFile& file, std::span<const std::uint8_t> data) {
    const auto header = Amsdos_Header(file, data.size());
    std::vector<std::uint8_t> bytes(header.size() + data.size());
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header.size()));
    return bytes;
}

bool Starts_With_Amsdos_Header(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kAmsdosHeaderBytes)
        return false;
    unsigned long sum = 0;
    for (std::size_t i = 0; i < kChecksumOffset; ++i)
        sum += bytes[i];
    const unsigned long stored = bytes[kChecksumOffset] | (static_cast<unsigned long>(bytes[kChecksumOffset + 1]) << 8);
    return (sum & 0xFFFF) == stored;
}
