#pragma once

#include <cstdint>
#include <optional>
#include <span>

// The mark that opens an Exif block in a JPEG's APP1 segment.
inline constexpr std::uint8_t kExifMark[] = {'E', 'x', 'i', 'f', 0, 0};

// Where a photograph says its top is: the orientation entry (1..8; 1 is
// stored upright) of the first directory of an Exif block, given as the
// bytes after kExifMark: a TIFF header ("II" or "MM", 42, the directory's
// offset), then the directory's count and its 12-byte entries. Nothing when
// the directory has no orientation entry, or the block is damaged (an
// offset, a count or an entry past its end, a wrong type).
std::optional<int> Exif_Orientation(std::span<const std::uint8_t> block);
