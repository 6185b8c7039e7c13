#include "InkMeasure.h"

#include <cmath>
#include <cstring>

namespace {

// The sRGB transfer curve, once per byte value.
struct LinearTable {
    std::array<double, 256> value;
    LinearTable() {
        for (std::size_t i = 0; i < value.size(); ++i)
            value[i] = Linear_From_Fraction(static_cast<double>(i) / 255.0);
    }
};

const LinearTable& linearTable() {
    static const LinearTable table;
    return table;
}

} // namespace

double Linear_From_Fraction(double value) {
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Linear_From_Byte(std::uint8_t value) {
    return linearTable().value[value];
}

// Björn Ottosson's OKLab: linear sRGB to an LMS cone response, a cube root,
// then to lightness and two opponent axes.
constexpr double kToLms[3][3] = {{0.4122214708, 0.5363325363, 0.0514459929},
                                 {0.2119034982, 0.6806995451, 0.1073969566},
                                 {0.0883024619, 0.2817188376, 0.6299787005}};
constexpr double kToLab[3][3] = {{0.2104542553, 0.7936177850, -0.0040720468},
                                 {1.9779984951, -2.4285922050, 0.4505937099},
                                 {0.0259040371, 0.7827717662, -0.8086757660}};

OkLab OkLab_From_Linear(double red, double green, double blue) {
    double lms[3];
    for (std::size_t i = 0; i < 3; ++i)
        lms[i] = std::cbrt(kToLms[i][0] * red + kToLms[i][1] * green + kToLms[i][2] * blue);
    const auto row = [&](std::size_t i) {
        return kToLab[i][0] * lms[0] + kToLab[i][1] * lms[1] + kToLab[i][2] * lms[2];
    };
    return {row(0), row(1), row(2)};
}

namespace {

// The cube root of x >= 0 (0 below): a first guess from the exponent bits,
// then two Halley steps, each of which triples the correct digits.
inline float cubeRoot(float x) {
    if (!(x > 0))
        return 0;
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = bits / 3 + 709921077u;
    float y;
    std::memcpy(&y, &bits, sizeof y);
    for (int step = 0; step < 2; ++step) {
        const float cube = y * y * y;
        y *= (cube + 2 * x) / (2 * cube + x);
    }
    return y;
}

} // namespace

void OkLab_From_Linear_Floats(const float* linear, std::size_t count, float* lab) {
    float toLms[3][3], toLab[3][3];
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) {
            toLms[i][j] = static_cast<float>(kToLms[i][j]);
            toLab[i][j] = static_cast<float>(kToLab[i][j]);
        }
    for (std::size_t p = 0; p < count; ++p, linear += 3, lab += 3) {
        float lms[3];
        for (std::size_t i = 0; i < 3; ++i)
            lms[i] = cubeRoot(toLms[i][0] * linear[0] + toLms[i][1] * linear[1] +
                              toLms[i][2] * linear[2]);
        for (std::size_t i = 0; i < 3; ++i)
            lab[i] = toLab[i][0] * lms[0] + toLab[i][1] * lms[1] + toLab[i][2] * lms[2];
    }
}

OkLab Cell_Colour(const std::uint8_t* p0, const std::uint8_t* p1, const std::uint8_t* p2,
                  const std::uint8_t* p3) {
    const auto& lin = linearTable().value;
    const auto channel = [&](int c) {
        const auto i = static_cast<std::size_t>(c);
        return (lin[p0[i]] + lin[p1[i]] + lin[p2[i]] + lin[p3[i]]) / 4;
    };
    return OkLab_From_Linear(channel(2), channel(1), channel(0));
}

// Each channel is summed over its distinct values in ascending order, so the
// same four pixels give the same bits however the inks are ordered or split.
OkLab Mix_Colour(const InkTable& inks, const std::array<int, 4>& counts) {
    const auto& lin = linearTable().value;
    const auto channel = [&](std::uint8_t Ink::*byte) {
        // Up to four distinct values with their counts, kept in ascending order.
        std::array<std::uint8_t, 4> value{};
        std::array<int, 4> count{};
        std::size_t distinct = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            if (counts[i] == 0)
                continue;
            const std::uint8_t v = inks[i].*byte;
            std::size_t at = 0;
            while (at < distinct && value[at] < v)
                ++at;
            if (at == distinct || value[at] != v) {
                for (std::size_t j = distinct; j > at; --j) {
                    value[j] = value[j - 1];
                    count[j] = count[j - 1];
                }
                value[at] = v;
                count[at] = 0;
                ++distinct;
            }
            count[at] += counts[i];
        }
        double sum = 0;
        for (std::size_t j = 0; j < distinct; ++j)
            sum += count[j] * lin[value[j]];
        return sum / 4;
    };
    return OkLab_From_Linear(channel(&Ink::r), channel(&Ink::g), channel(&Ink::b));
}

double Cell_Distance(const OkLab& source, const OkLab& result) {
    const double dL = source.L - result.L, da = source.a - result.a, db = source.b - result.b;
    return dL * dL + da * da + db * db;
}
