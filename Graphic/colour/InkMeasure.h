#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Picture.h"

// How far a dithered result is from its source as a person sees it. The
// result is judged per 2x2 dither cell, the area the eye blends: source and
// result are each averaged over the cell in linear light and compared in
// OKLab, a space made so that equal distances look about equally different.
// The error of a whole result is the mean, over its cells, of the squared
// OKLab distance (Cell_Distance). Nothing here knows about the search.

// A colour in OKLab: L lightness 0..1, a green-red, b blue-yellow.
struct OkLab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// Linear light 0..1 of an sRGB value 0..1 (the sRGB transfer curve).
double Linear_From_Fraction(double value);

// Linear light 0..1 of an sRGB channel byte.
double Linear_From_Byte(std::uint8_t value);

// OKLab of a colour given in linear sRGB, each channel 0..1.
OkLab OkLab_From_Linear(double red, double green, double blue);

// OKLab of count colours given in linear sRGB (red, green, blue floats a
// colour, each 0..1; below 0 counts as 0), written as L, a, b floats: within
// about 1e-6 of OkLab_From_Linear, made fast for whole pictures.
void OkLab_From_Linear_Floats(const float* linear, std::size_t count, float* lab);

// The source cell's colour: its four pixels (each B, G, R bytes) averaged in
// linear light.
OkLab Cell_Colour(const std::uint8_t* p0, const std::uint8_t* p1, const std::uint8_t* p2,
                  const std::uint8_t* p3);

// The colour of a result cell in which ink i of inks covers counts[i] of the
// four pixels (the counts add up to 4), averaged in linear light.
OkLab Mix_Colour(const InkTable& inks, const std::array<int, 4>& counts);

// The squared OKLab distance between a source cell and a result cell.
double Cell_Distance(const OkLab& source, const OkLab& result);

// Source cells that all get the same result colour, summed so that their
// total distance to any colour costs one step (the squared distance expands
// into sums of the cells' colours and of their squared lengths).
struct CellGroup {
    int count = 0;
    double sumL = 0, sumA = 0, sumB = 0;
    double sumSquares = 0;
};

// Inline: the ink search adds millions of cells a run.
inline void Add_To_Group(CellGroup& group, const OkLab& source) {
    ++group.count;
    group.sumL += source.L;
    group.sumA += source.a;
    group.sumB += source.b;
    group.sumSquares += source.L * source.L + source.a * source.a + source.b * source.b;
}

// Adds the cells of part to group.
inline void Merge_Groups(CellGroup& group, const CellGroup& part) {
    group.count += part.count;
    group.sumL += part.sumL;
    group.sumA += part.sumA;
    group.sumB += part.sumB;
    group.sumSquares += part.sumSquares;
}

// The sum of Cell_Distance(cell, result) over the group's cells:
// sum |s - r|^2 = sum |s|^2 - 2 r . sum s + n |r|^2.
inline double Group_Distance(const CellGroup& group, const OkLab& result) {
    if (group.count == 0)
        return 0;
    const double dot = result.L * group.sumL + result.a * group.sumA + result.b * group.sumB;
    const double length = result.L * result.L + result.a * result.a + result.b * result.b;
    return group.sumSquares - 2 * dot + group.count * length;
}
