#include "CpcDataDisc.h"

#include <algorithm>

#include "SysUtils.h"

namespace {

// A directory entry: one extent of up to 16 KB of one file.
constexpr std::size_t kEntryBytes = 32;
constexpr std::size_t kEntryUserOffset = 0;      // 1 byte: user number; &E5 marks a free entry
constexpr std::size_t kEntryNameOffset = 1;      // 8 bytes: name, padded with spaces
constexpr std::size_t kEntryExtensionOffset = 9; // 3 bytes: extension, padded with spaces
constexpr std::size_t kEntryExtentOffset = 12;   // 1 byte: extent number, low 5 bits
constexpr std::size_t kEntryReservedOffset = 13; // 1 byte: 0
constexpr std::size_t kEntryExtentHighOffset = 14; // 1 byte: extent number / 32
constexpr std::size_t kEntryRecordsOffset = 15;  // 1 byte: 128-byte records in this extent
constexpr std::size_t kEntryBlocksOffset = 16;   // 16 bytes: block numbers, 0 when unused
constexpr std::size_t kBlocksPerEntry = 16;
static_assert(kEntryBlocksOffset + kBlocksPerEntry == kEntryBytes);

constexpr std::size_t kRecordBytes = 128;
constexpr std::size_t kRecordsPerExtent = kBlocksPerEntry * kDiscBlockBytes / kRecordBytes;
constexpr std::size_t kDirectoryBlocks = kDiscDirectoryEntries * kEntryBytes / kDiscBlockBytes;
constexpr std::size_t kDiscBlocks = kDiscBytes / kDiscBlockBytes;
static_assert(kDiscDataBytes == (kDiscBlocks - kDirectoryBlocks) * kDiscBlockBytes);
static_assert(kDiscBlocks <= 256, "block numbers are one byte");
constexpr std::uint8_t kUser = 0;
constexpr std::uint8_t kEndOfFileMark = 0x1A;

std::size_t wholeUnits(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit; }

// text in a field of width characters, padded with spaces.
void putText(std::uint8_t* at, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        at[i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

} // namespace

std::vector<std::uint8_t> Cpc_Data_Disc(const std::vector<DiscFile>& files) {
    std::vector<std::uint8_t> disc(kDiscBytes, kDiscFiller);
    std::size_t entry = 0;
    std::size_t nextBlock = kDirectoryBlocks;
    for (const DiscFile& file : files) {
        if (file.name.empty() || file.name.size() > 8 || file.extension.size() > 3)
            throw Exception("\"" + file.name + "." + file.extension + "\" is not a CPC file name");
        const std::size_t records = wholeUnits(file.data.size(), kRecordBytes);
        const std::size_t blocks = wholeUnits(file.data.size(), kDiscBlockBytes);
        const std::size_t extents = std::max<std::size_t>(1, wholeUnits(records, kRecordsPerExtent));
        if (nextBlock + blocks > kDiscBlocks || entry + extents > kDiscDirectoryEntries)
            throw Exception("The files do not fit on a CPC data disc: " + file.name + "." + file.extension +
                            " is left over");

        std::uint8_t* const start = disc.data() + nextBlock * kDiscBlockBytes;
        std::copy(file.data.begin(), file.data.end(), start);
        std::fill(start + file.data.size(), start + records * kRecordBytes, kEndOfFileMark);

        for (std::size_t extent = 0; extent < extents; ++extent, ++entry) {
            std::uint8_t* const e = disc.data() + entry * kEntryBytes;
            std::fill(e, e + kEntryBytes, std::uint8_t{0});
            e[kEntryUserOffset] = kUser;
            putText(e + kEntryNameOffset, file.name, 8);
            putText(e + kEntryExtensionOffset, file.extension, 3);
            e[kEntryExtentOffset] = static_cast<std::uint8_t>(extent % 32);
            e[kEntryReservedOffset] = 0;
            e[kEntryExtentHighOffset] = static_cast<std::uint8_t>(extent / 32);
            e[kEntryRecordsOffset] =
                static_cast<std::uint8_t>(std::min(kRecordsPerExtent, records - extent * kRecordsPerExtent));
            const std::size_t first = extent * kBlocksPerEntry;
            for (std::size_t b = first; b < std::min(blocks, first + kBlocksPerEntry); ++b)
                e[kEntryBlocksOffset + b - first] = static_cast<std::uint8_t>(nextBlock + b);
        }
        nextBlock += blocks;
    }
    return disc;
}

std::size_t Cpc_Data_Disc_Used_Bytes(const std::vector<DiscFile>& files) {
    std::size_t blocks = 0;
    for (const DiscFile& file : files)
        blocks += wholeUnits(file.data.size(), kDiscBlockBytes);
    return blocks * kDiscBlockBytes;
}
