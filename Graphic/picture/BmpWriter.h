#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class TFileHandle;
class TPicture;

// The 24-bit bitmap files the program writes: a BITMAPFILEHEADER and a
// BITMAPINFOHEADER, then the rows bottom-up, blue, green, red per pixel, each
// row padded with zeros to a multiple of 4 bytes.

inline constexpr std::size_t kBmpHeaderBytes = 54;

// Bytes of one stored row of width pixels, padding included.
std::size_t Bmp_Row_Bytes(int width);

// The 54 header bytes of a width x height picture (each 1..100 megapixels'
// worth) at the given resolution in dots per metre.
std::array<std::uint8_t, kBmpHeaderBytes> Bmp_Header(int width, int height, int dotsPerMetreX,
                                                     int dotsPerMetreY);

// Writes a 24-bit picture of at least 1 x 1 to file as a bitmap, straight
// from its rows: the header, then each row and its padding.
void Write_Bmp(TFileHandle& file, const TPicture& picture, int dotsPerMetreX, int dotsPerMetreY);
