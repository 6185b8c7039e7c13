#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The 128-byte header AMSDOS keeps in front of a binary file on disc, so that
// LOAD"NAME.EXT" knows where the file goes and how long it is.
inline constexpr std::size_t kAmsdosHeaderBytes = 128;
static_assert(kAmsdosHeaderBytes == 128);
inline constexpr std::size_t kAmsdosNameLength = 8;
inline constexpr std::size_t kAmsdosExtensionLength = 3;
// The CPC's memory: no file may reach past its last byte.
inline constexpr long kCpcMemoryBytes = 0x10000;

// A binary file as AMSDOS sees it: its name (1 to 8) and extension (0 to 3
// upper case letters and digits) on the disc and the address it loads at.
struct AmsdosFile {
    std::string name;
    std::string extension;
    int loadAddress = 0;
};

// A file name for the CPC from wanted: its letters and digits in upper case,
// the first 8 of them. Raises an Exception when wanted has none.
std::string Amsdos_Name(const std::string& wanted);

// The CPC name of a file path: Amsdos_Name of its file name without folder
// and without its last ending (".dsk", ".scr" ...).
std::string Amsdos_Name_Of_Path(const std::string& path);

// True when length bytes loaded at loadAddress stay inside the CPC's memory
// and within what a header can describe.
bool Amsdos_Fits(int loadAddress, std::size_t length);

// The header of file holding length bytes: user 0, binary type, loading and
// entering at the load address, the 16-bit sum of bytes 0..66 as checksum.
// Raises an Exception when the bytes would not fit in memory from the load
// address, or the name or extension is not one AMSDOS takes.
std::array<std::uint8_t, kAmsdosHeaderBytes> Amsdos_Header(const AmsdosFile& file, std::size_t length);

// The header followed by the data.
std::vector<std::uint8_t> With_Amsdos_Header(const AmsdosFile& file, std::span<const std::uint8_t> data);

// True when bytes start with a header AMSDOS would take: at least 128 bytes
// whose sum over bytes 0..66 is the checksum stored at 67..68.
bool Starts_With_Amsdos_Header(std::span<const std::uint8_t> bytes);
