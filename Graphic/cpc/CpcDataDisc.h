#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The CPC's DATA disc format: one side of 40 tracks of 9 sectors numbered &C1
// to &C9, 512 bytes each, no system tracks; 1 KB blocks, the first two
// holding the 64 entries of the CP/M directory; unused bytes &E5.
inline constexpr int kDiscTracks = 40;
inline constexpr int kDiscSectorsPerTrack = 9;
inline constexpr int kDiscFirstSector = 0xC1;
inline constexpr std::size_t kDiscSectorBytes = 512;
inline constexpr std::size_t kDiscBlockBytes = 1024;
inline constexpr std::size_t kDiscDirectoryEntries = 64;
inline constexpr std::uint8_t kDiscFiller = 0xE5;
inline constexpr std::size_t kDiscBytes = kDiscTracks * kDiscSectorsPerTrack * kDiscSectorBytes;
static_assert(kDiscBytes == 180 * kDiscBlockBytes);

// One file for the disc: its name (1 to 8) and extension (0 to 3 upper case
// letters and digits) and its bytes, AMSDOS header included if it has one.
struct DiscFile {
    std::string name;
    std::string extension;
    std::vector<std::uint8_t> data;
};

// The kDiscBytes bytes of a DATA disc, track 0 sector &C1 first and each
// track's sectors in order, holding files one after another from the first
// block after the directory, in the order given, for user 0. Each file's
// last 128-byte record is filled with &1A. Raises an Exception when the files
// do not fit on the disc or in its directory.
std::vector<std::uint8_t> Cpc_Data_Disc(const std::vector<DiscFile>& files);

// The bytes a DATA disc holds for files: every block but the directory's.
inline constexpr std::size_t kDiscDataBytes = kDiscBytes - 2 * kDiscBlockBytes;

// The bytes of the blocks that files take on a DATA disc (each file whole
// blocks, however short its last).
std::size_t Cpc_Data_Disc_Used_Bytes(const std::vector<DiscFile>& files);
