// Draws every picture the program carries as a resource and writes them into
// the source tree: the main window's tool-button glyphs and slider icons, the
// About box's side picture, logo and animation texture, and the program's
// icon for the desktop at 16, 32, 48 and 256 pixels.
//
// Usage: tintora_art <source-root>
//
// The small pictures are pixel art drawn from character maps, one character
// per pixel, so that every pixel is chosen by hand; the larger ones are drawn
// with integer arithmetic on the pixel grid, never antialiased.

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kGlyphSize = 16;

using CharMap = std::array<const char*, kGlyphSize>;
using Palette = std::map<char, QRgb>;

// The colours of the small pictures; '.' is transparent everywhere.
const Palette kIconPalette = {
    {'k', qRgb(0, 0, 0)},        // outline
    {'w', qRgb(255, 255, 255)},  // white
    {'S', qRgb(192, 192, 192)},  // silver
    {'g', qRgb(160, 160, 160)},  // light grey
    {'G', qRgb(96, 96, 96)},     // dark grey
    {'Y', qRgb(255, 240, 160)},  // folder highlight
    {'y', qRgb(248, 200, 64)},   // folder front
    {'o', qRgb(184, 128, 24)},   // folder back
    {'b', qRgb(32, 64, 176)},    // blue
    {'B', qRgb(96, 144, 232)},   // light blue
    {'c', qRgb(176, 224, 255)},  // glass
    {'h', qRgb(120, 64, 16)},    // handle
    {'H', qRgb(184, 112, 48)},   // handle highlight
    {'r', qRgb(208, 32, 32)},    // red
    {'R', qRgb(255, 112, 96)},   // light red
    {'s', qRgb(255, 224, 0)},    // sun
    {'O', qRgb(255, 144, 0)},    // sun rays
    {'n', qRgb(0, 160, 64)},     // green
};

QImage FromCharMap(const CharMap& rows, const Palette& palette)
{
    QImage image(kGlyphSize, kGlyphSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kGlyphSize; ++y) {
        const std::string row = rows[static_cast<std::size_t>(y)];
        if (row.size() != static_cast<std::size_t>(kGlyphSize)) {
            std::fprintf(stderr, "character map row %d has %zu pixels\n", y, row.size());
            std::exit(1);
        }
        for (int x = 0; x < kGlyphSize; ++x) {
            const char c = row[static_cast<std::size_t>(x)];
            if (c == '.')
                continue;
            const auto found = palette.find(c);
            if (found == palette.end()) {
                std::fprintf(stderr, "unknown colour '%c' in row %d\n", c, y);
                std::exit(1);
            }
            image.setPixel(x, y, found->second);
        }
    }
    return image;
}

// The disabled look of a glyph: its darker pixels drawn grey over a white copy
// shifted one pixel down and right, as if pressed into the button face; light
// pixels vanish into the face.
QImage DisabledGlyph(const QImage& normal)
{
    constexpr int kDarkLimit = 3 * 150;
    const QRgb shadow = qRgb(128, 128, 128);
    const QRgb light = qRgb(255, 255, 255);
    QImage image(normal.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    auto isDark = [&](int x, int y) {
        const QRgb p = normal.pixel(x, y);
        return qAlpha(p) > 0 && qRed(p) + qGreen(p) + qBlue(p) < kDarkLimit;
    };
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            if (isDark(x, y) && x + 1 < image.width() && y + 1 < image.height())
                image.setPixel(x + 1, y + 1, light);
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            if (isDark(x, y))
                image.setPixel(x, y, shadow);
    return image;
}

// A 32 x 16 strip: the normal glyph on the left, the disabled one on the right.
QImage GlyphStrip(const QImage& normal)
{
    QImage strip(2 * kGlyphSize, kGlyphSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    const QImage disabled = DisabledGlyph(normal);
    for (int y = 0; y < kGlyphSize; ++y)
        for (int x = 0; x < kGlyphSize; ++x) {
            strip.setPixel(x, y, normal.pixel(x, y));
            strip.setPixel(kGlyphSize + x, y, disabled.pixel(x, y));
        }
    return strip;
}

const CharMap kEmptyMap = {
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
};

const CharMap kLoadMap = {
    "................",
    "................",
    ".kkkk...........",
    "kYYYYk..........",
    "kYooooykkkkkk...",
    "kYooooooooooYk..",
    "kYoooooooooook..",
    "kYookkkkkkkkkkkk",
    "kYokYYYYYYYYYYyk",
    "kYokYyyyyyyyyyk.",
    "kokYyyyyyyyyyyk.",
    "kokYyyyyyyyyyk..",
    "kkYyyyyyyyyyyk..",
    "kkyyyyyyyyyyk...",
    "kkkkkkkkkkkkk...",
    "................",
};

const CharMap kSaveMap = {
    "................",
    ".kkkkkkkkkkkkk..",
    ".kbkwwwwwwwwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwrrrrrrwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwggggggwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbBkkkkkkkkBbk.",
    ".kbBBBBBBBBBBbk.",
    ".kbbSSSSSSSSbbk.",
    ".kbbSkkSSSSSbbk.",
    ".kbbSkkSSSSSbbk.",
    ".kbbSkkSSSSSbbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
};

// A magnifier: round lens at the top left, handle towards the bottom right,
// and a plus or a minus sign on the glass.
QImage Magnifier(bool plus)
{
    QImage image = FromCharMap(kEmptyMap, kIconPalette);
    const Palette& p = kIconPalette;
    constexpr int kCentre = 6;
    constexpr int kGlassRadius2 = 20;
    constexpr int kRimRadius2 = 32;
    for (int y = 0; y < kGlyphSize; ++y)
        for (int x = 0; x < kGlyphSize; ++x) {
            const int dx = x - kCentre;
            const int dy = y - kCentre;
            const int d2 = dx * dx + dy * dy;
            if (d2 <= kGlassRadius2)
                image.setPixel(x, y, p.at('c'));
            else if (d2 <= kRimRadius2)
                image.setPixel(x, y, p.at('k'));
            // The handle runs along the diagonal x = y, three pixels thick.
            const int across = x - y;
            const int along = x + y;
            if (along >= 21 && along <= 28 && std::abs(across) <= 2) {
                const char c = std::abs(across) == 2 || along == 28 ? 'k' : (across == -1 ? 'H' : 'h');
                image.setPixel(x, y, p.at(c));
            }
        }
    // A glint on the glass.
    image.setPixel(3, 3, p.at('w'));
    image.setPixel(4, 3, p.at('w'));
    image.setPixel(3, 4, p.at('w'));
    for (int i = -2; i <= 2; ++i) {
        image.setPixel(kCentre + i, kCentre, p.at('k'));
        if (plus)
            image.setPixel(kCentre, kCentre + i, p.at('k'));
    }
    return image;
}

const CharMap kAboutMap = {
    "................",
    ".....kkkkkk.....",
    "...kkbbbbbbkk...",
    "..kbbbbwwbbbbk..",
    ".kbBbbbwwbbbbbk.",
    ".kbBbbbbbbbbbbk.",
    "kbBbbbwwwbbbbbbk",
    "kbBbbbbwwbbbbbbk",
    "kbbbbbbwwbbbbbbk",
    "kbbbbbbwwbbbbbbk",
    "kbbbbbbwwbbbbbbk",
    ".kbbbbbwwbbbbbk.",
    ".kbbbbwwwwbbbbk.",
    "..kbbbbbbbbbbk..",
    "...kkbbbbbbkk...",
    ".....kkkkkk.....",
};

const CharMap kStretchMap = {
    "................",
    "...r........r...",
    "..rr........rr..",
    ".rrrrrr..rrrrrr.",
    "..rr........rr..",
    "...r........r...",
    "................",
    ".......b........",
    ".......bb.......",
    "......bbb.......",
    "......bbbb......",
    "......bbbbb.....",
    "b....bbbbbb....b",
    "b.b..bbbbbbb.b.b",
    "kkkkkkkkkkkkkkkk",
    "................",
};

const CharMap kLocalContrastMap = {
    "kkkkkkkkkkkkkkkk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kGGGGGGkwggggggk",
    "kkkkkkkkkkkkkkkk",
};

const CharMap kBrightnessMap = {
    ".......O........",
    "..O....O....O...",
    "...O...O...O....",
    "....O.....O.....",
    "......sss.......",
    ".....sssss......",
    "....sssssss.....",
    "OOO.sssssss.OOO.",
    "....sssssss.....",
    ".....sssss......",
    "......sss.......",
    "....O.....O.....",
    "...O...O...O....",
    "..O....O....O...",
    ".......O........",
    "................",
};

// A disc, dark on the left half and light on the right, with a dark rim.
QImage ContrastIcon()
{
    QImage image = FromCharMap(kEmptyMap, kIconPalette);
    // Twice the distance from the centre (7.5, 7.5), so that it stays whole.
    constexpr int kOuter2 = 15 * 15;
    constexpr int kInner2 = 13 * 13;
    for (int y = 0; y < kGlyphSize; ++y)
        for (int x = 0; x < kGlyphSize; ++x) {
            const int dx = 2 * x + 1 - kGlyphSize;
            const int dy = 2 * y + 1 - kGlyphSize;
            const int d2 = dx * dx + dy * dy;
            if (d2 > kOuter2)
                continue;
            const bool rim = d2 > kInner2;
            image.setPixel(x, y, kIconPalette.at(rim || x < kGlyphSize / 2 ? 'k' : 'w'));
        }
    return image;
}

bool Save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%d x %d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

bool WriteMainWindowArt(const QString& dir)
{
    bool ok = true;
    ok &= Save(GlyphStrip(FromCharMap(kLoadMap, kIconPalette)), dir + "/glyph_load.png");
    ok &= Save(GlyphStrip(FromCharMap(kSaveMap, kIconPalette)), dir + "/glyph_save.png");
    ok &= Save(GlyphStrip(Magnifier(true)), dir + "/glyph_zoom_in.png");
    ok &= Save(GlyphStrip(Magnifier(false)), dir + "/glyph_zoom_out.png");
    ok &= Save(GlyphStrip(FromCharMap(kAboutMap, kIconPalette)), dir + "/glyph_about.png");
    ok &= Save(FromCharMap(kStretchMap, kIconPalette), dir + "/icon_stretch.png");
    ok &= Save(FromCharMap(kLocalContrastMap, kIconPalette), dir + "/icon_local_contrast.png");
    ok &= Save(FromCharMap(kBrightnessMap, kIconPalette), dir + "/icon_brightness.png");
    ok &= Save(ContrastIcon(), dir + "/icon_contrast.png");
    return ok;
}

// ---------------------------------------------------------------------------
// About box pictures. Every colour is one of the CPC's 27, each channel one of
// the three intensities 0, 127 and 254.

constexpr int kCpcLevels[3] = {0, 127, 254};

// A CPC colour from its red, green and blue intensities 0..2.
QRgb Cpc(int r, int g, int b)
{
    return qRgb(kCpcLevels[r], kCpcLevels[g], kCpcLevels[b]);
}

const QRgb kCpcBlack = Cpc(0, 0, 0);
const QRgb kCpcWhite = Cpc(2, 2, 2);

// The 4 x 4 ordered-dither thresholds, 0..15.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Colour at position t (0..1) of a ramp of CPC colours, ordered-dithered at
// pixel (x, y) between the two neighbouring colours of the ramp.
QRgb DitheredRamp(const std::vector<QRgb>& ramp, double t, int x, int y)
{
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(ramp.size() - 1);
    const int low = std::min(static_cast<int>(t), static_cast<int>(ramp.size()) - 2);
    const double fraction = t - low;
    const bool upper = fraction * 16.0 > kBayer[y & 3][x & 3] + 0.5;
    return ramp[static_cast<std::size_t>(low + (upper ? 1 : 0))];
}

// One band of the texture: a ribbon running down the band and twisting about
// its own length, one full turn per 64 rows so the band repeats seamlessly
// when it scrolls. All bands share the ribbon's shape and differ in colour, so
// the ribbon runs on unbroken where the animation joins two bands. The front face is drawn in the light colour with a stripe
// of the middle colour near each edge; the back face in the dark colour with
// the same stripes; black behind.
struct RibbonStyle {
    QRgb dark;
    QRgb middle;
    QRgb light;
    double phase;   // turn at the band's top row, in turns
    int turns;      // full turns per band
    double sway;    // sideways sway of the ribbon's centre, in pixels
    double halfWidth;
};

void DrawRibbonBand(QImage& texture, int band, const RibbonStyle& style)
{
    constexpr double kTau = 6.283185307179586;
    const int top = band * 64;
    for (int y = 0; y < 64; ++y) {
        const double turn = style.phase + style.turns * y / 64.0;
        const double angle = kTau * turn;
        const double c = std::cos(angle);
        const double centre = 63.5 + style.sway * std::sin(kTau * (y / 64.0 + style.phase));
        const double half = style.halfWidth * std::abs(c);
        const bool front = c >= 0.0;
        // Which edge is nearer the light turns with the ribbon.
        const double tilt = std::sin(angle);
        for (int x = 0; x < 128; ++x) {
            QRgb colour = kCpcBlack;
            const double across = (x + 0.5 - centre);
            if (std::abs(across) <= half + 0.5) {
                const double u = half > 0.5 ? across / half : 0.0;  // -1..1 across the face
                const double lit = (front ? 1.0 : -1.0) * tilt * u;  // > 0: this side faces the light
                const bool stripe = std::abs(std::abs(u) - 0.62) < 0.13;
                const bool rim = std::abs(u) > 0.9 || half < 2.0;
                if (front)
                    colour = rim ? style.middle : stripe ? style.dark : (lit < -0.55 ? style.middle : style.light);
                else
                    colour = rim ? style.middle : stripe ? style.light : (lit > 0.55 ? style.middle : style.dark);
            }
            texture.setPixel(x, top + y, colour);
        }
    }
}

QImage AboutTexture()
{
    QImage texture(128, 512, QImage::Format_RGB32);
    const RibbonStyle styles[8] = {
        {Cpc(0, 0, 1), Cpc(0, 1, 2), Cpc(1, 2, 2), 0.0, 1, 16.0, 44.0},  // blues
        {Cpc(1, 0, 0), Cpc(2, 0, 0), Cpc(2, 1, 1), 0.0, 1, 16.0, 44.0},  // reds
        {Cpc(1, 0, 1), Cpc(2, 0, 2), Cpc(2, 1, 2), 0.0, 1, 16.0, 44.0},  // magentas
        {Cpc(0, 1, 0), Cpc(0, 2, 0), Cpc(1, 2, 1), 0.0, 1, 16.0, 44.0},  // greens
        {Cpc(1, 1, 0), Cpc(2, 2, 0), Cpc(2, 2, 1), 0.0, 1, 16.0, 44.0},  // yellows
        {Cpc(0, 1, 1), Cpc(0, 2, 2), Cpc(1, 2, 2), 0.0, 1, 16.0, 44.0},  // cyans
        {Cpc(1, 1, 1), Cpc(2, 1, 0), Cpc(2, 2, 0), 0.0, 1, 16.0, 44.0},  // grey and orange
        {Cpc(1, 0, 2), Cpc(1, 1, 2), Cpc(2, 2, 2), 0.0, 1, 16.0, 44.0},  // violet to white
    };
    for (int band = 0; band < 8; ++band)
        DrawRibbonBand(texture, band, styles[band]);
    return texture;
}

// The side picture: a sunset of dithered CPC colours behind a striped sun, a
// perspective grid running to the horizon, and scanline stripes over all.
QImage AboutSide()
{
    constexpr int kWidth = 137;
    constexpr int kHeight = 386;
    constexpr int kHorizon = 250;
    QImage side(kWidth, kHeight, QImage::Format_RGB32);
    const std::vector<QRgb> sky = {Cpc(0, 0, 0), Cpc(0, 0, 1), Cpc(1, 0, 1), Cpc(2, 0, 1),
                                   Cpc(2, 0, 2), Cpc(2, 1, 1), Cpc(2, 1, 0)};
    const std::vector<QRgb> sun = {Cpc(2, 2, 1), Cpc(2, 2, 0), Cpc(2, 1, 0), Cpc(2, 0, 0), Cpc(2, 0, 1)};
    const std::vector<QRgb> ground = {Cpc(1, 0, 1), Cpc(0, 0, 1), Cpc(0, 0, 0)};
    constexpr int kSunX = 68;
    constexpr int kSunY = 200;
    constexpr int kSunRadius = 52;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            QRgb colour;
            if (y < kHorizon) {
                colour = DitheredRamp(sky, y / static_cast<double>(kHorizon), x, y);
                const int dx = x - kSunX;
                const int dy = y - kSunY;
                // The sun's lower half is cut by gaps that widen towards the horizon.
                const int gapRow = y - kSunY;
                const bool gap = gapRow > 0 && (gapRow % 10) < 2 + gapRow / 12;
                if (dx * dx + dy * dy <= kSunRadius * kSunRadius && !gap)
                    colour = DitheredRamp(sun, (y - (kSunY - kSunRadius)) / (2.0 * kSunRadius), x, y);
                // A few stars high in the sky.
                if (y < 150 && ((x * 7919 + y * 104729) % 1013) == 0)
                    colour = kCpcWhite;
            } else {
                const int depth = y - kHorizon;  // 0 at the horizon
                colour = DitheredRamp(ground, depth / static_cast<double>(kHeight - kHorizon), x, y);
                // Cross lines closer together towards the horizon.
                constexpr int kCrossLines[] = {3, 8, 14, 22, 32, 45, 62, 84, 112};
                bool across = false;
                for (int line : kCrossLines)
                    across = across || depth == line || (line > 40 && depth == line + 1);
                // Lines converging on the vanishing point above the sun's centre.
                const double spread = (x - kSunX) * 60.0 / (depth + 8);
                const bool along = std::abs(spread - std::round(spread / 16.0) * 16.0) < 0.3 + depth / 300.0;
                if (across || along)
                    colour = depth < 30 ? Cpc(2, 0, 2) : Cpc(0, 2, 2);
            }
            // Scanlines: every other row one step darker in each channel.
            if (y % 2 == 1) {
                auto darker = [](int v) { return v == 254 ? 127 : 0; };
                colour = qRgb(darker(qRed(colour)), darker(qGreen(colour)), darker(qBlue(colour)));
            }
            side.setPixel(x, y, colour);
        }
    return side;
}

// Bold 8 x 8 letters in the manner of the CPC's character set.
struct Letter {
    char name;
    std::array<const char*, 7> rows;
};

const Letter kLetters[] = {
    {'T', {"#######", "#######", "..###..", "..###..", "..###..", "..###..", "..###.."}},
    {'i', {"..##", "....", ".###", "..##", "..##", "..##", ".####"}},
    {'n', {"......", "......", "#####.", "##..##", "##..##", "##..##", "##..##"}},
    {'t', {"..##..", "..##..", "######", "..##..", "..##..", "..##.#", "...###"}},
    {'o', {"......", "......", ".####.", "##..##", "##..##", "##..##", ".####."}},
    {'r', {".......", ".......", "##.###.", "###..##", "##.....", "##.....", "##....."}},
    {'a', {".......", ".......", ".####..", "....##.", ".#####.", "##..##.", ".###.##"}},
};

// The logo: "Tintora" in blocky capitals, each letter pixel 3 wide and 6 high,
// filled with raster bars of CPC colours, outlined in black with a grey drop
// shadow, on white.
QImage AboutLogo()
{
    constexpr int kWidth = 188;
    constexpr int kHeight = 66;
    constexpr int kScaleX = 3;
    constexpr int kScaleY = 6;
    constexpr int kShadow = 3;
    const std::string word = "Tintora";
    // Mask of the lettering at logo resolution.
    int columns = 0;
    for (char c : word)
        for (const Letter& l : kLetters)
            if (l.name == c)
                columns += static_cast<int>(std::string(l.rows[0]).size()) + 1;
    columns -= 1;
    const int textWidth = columns * kScaleX;
    const int textHeight = 7 * kScaleY;
    const int left = (kWidth - textWidth - kShadow) / 2;
    const int top = (kHeight - textHeight - kShadow) / 2;
    std::vector<bool> mask(static_cast<std::size_t>(kWidth * kHeight), false);
    int column = 0;
    for (char c : word)
        for (const Letter& l : kLetters) {
            if (l.name != c)
                continue;
            const int w = static_cast<int>(std::string(l.rows[0]).size());
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < w; ++col)
                    if (l.rows[static_cast<std::size_t>(row)][col] == '#')
                        for (int sy = 0; sy < kScaleY; ++sy)
                            for (int sx = 0; sx < kScaleX; ++sx) {
                                const int x = left + (column + col) * kScaleX + sx;
                                const int y = top + row * kScaleY + sy;
                                mask[static_cast<std::size_t>(y * kWidth + x)] = true;
                            }
            column += w + 1;
        }
    auto inMask = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < kWidth && y < kHeight && mask[static_cast<std::size_t>(y * kWidth + x)];
    };
    const std::vector<QRgb> bars = {Cpc(2, 2, 1), Cpc(2, 2, 0), Cpc(2, 1, 0), Cpc(2, 0, 0),
                                    Cpc(1, 0, 2), Cpc(0, 1, 2), Cpc(0, 2, 2)};
    QImage logo(kWidth, kHeight, QImage::Format_RGB32);
    logo.fill(kCpcWhite);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (inMask(x, y)) {
                const int row = y - top;
                logo.setPixel(x, y, bars[static_cast<std::size_t>(std::clamp(row * 7 / textHeight, 0, 6))]);
            } else if (inMask(x - 1, y) || inMask(x + 1, y) || inMask(x, y - 1) || inMask(x, y + 1) ||
                       inMask(x - 1, y - 1) || inMask(x + 1, y + 1) || inMask(x - 1, y + 1) || inMask(x + 1, y - 1)) {
                logo.setPixel(x, y, kCpcBlack);  // outline around the letters
            } else if (inMask(x - kShadow, y - kShadow)) {
                logo.setPixel(x, y, Cpc(1, 1, 1));
            }
        }
    return logo;
}

bool WriteAboutArt(const QString& dir)
{
    bool ok = true;
    ok &= Save(AboutSide().convertToFormat(QImage::Format_RGB888), dir + "/about_side.png");
    ok &= Save(AboutLogo().convertToFormat(QImage::Format_RGB888), dir + "/about_logo.png");
    ok &= Save(AboutTexture().convertToFormat(QImage::Format_RGB888), dir + "/about_texture.png");
    return ok;
}


// ---------------------------------------------------------------------------
// The program's icon: a monitor whose screen shows a sunset over hills in four
// CPC inks, dithered 2 x 2 as the program dithers, with pixels as chunky as a
// mode 1 screen's at that size.

// Ordered 2 x 2 threshold of a cell, 0..3.
int Bayer2(int cx, int cy)
{
    static constexpr int kOrder[2][2] = {{0, 2}, {3, 1}};
    return kOrder[cy & 1][cx & 1];
}

QImage ProgramIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    const int line = std::max(1, size / 32);       // outline width
    const int bezel = std::max(2, size / 10);      // monitor frame around the screen
    const int cell = std::max(1, size / 32);       // one screen pixel
    const QRect monitor(0, size / 16, size, size - size / 8);
    const QRect screen = monitor.adjusted(bezel, bezel, -bezel, -bezel);
    const QRgb outline = qRgb(0, 0, 0);
    const QRgb frame = qRgb(96, 96, 96);
    const QRgb frameLight = qRgb(160, 160, 160);
    // Inks: black, bright red, orange, bright yellow.
    const QRgb inks[4] = {Cpc(0, 0, 0), Cpc(2, 0, 0), Cpc(2, 1, 0), Cpc(2, 2, 0)};

    for (int y = monitor.top(); y <= monitor.bottom(); ++y)
        for (int x = monitor.left(); x <= monitor.right(); ++x) {
            const bool edge = x < monitor.left() + line || x > monitor.right() - line ||
                              y < monitor.top() + line || y > monitor.bottom() - line;
            const bool lit = x < monitor.left() + 2 * line || y < monitor.top() + 2 * line;
            icon.setPixel(x, y, edge ? outline : (lit ? frameLight : frame));
        }

    const int w = screen.width(), h = screen.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int cx = x / cell, cy = y / cell;
            // Positions in 1/256 of the screen, taken at the cell's corner so
            // a cell is one colour.
            const int u = cx * cell * 256 / w, v = cy * cell * 256 / h;
            const int ridge = 176 + static_cast<int>(24 * std::sin(u * 0.035)) - u / 8;
            QRgb colour;
            const int du = u - 150, dv = v - 118;
            if (v >= ridge) {
                colour = inks[0];
            } else if (du * du + dv * dv < 40 * 40) {
                colour = inks[3];
            } else {
                // The sky runs from red at the top to orange at the hills
                // through three dithered mixtures of the two.
                const int part = std::clamp(v * 5 / ridge, 0, 4); // 0..4
                colour = inks[part > Bayer2(cx, cy) ? 2 : 1];
            }
            icon.setPixel(screen.left() + x, screen.top() + y, colour);
        }
    for (int y = screen.top() - line; y <= screen.bottom() + line; ++y)
        for (int x = screen.left() - line; x <= screen.right() + line; ++x)
            if (!screen.contains(x, y))
                icon.setPixel(x, y, outline);
    return icon;
}

bool WriteProgramIcons(const QString& dir)
{
    bool ok = true;
    for (const int size : {16, 32, 48, 256})
        ok &= Save(ProgramIcon(size), dir + QStringLiteral("/tintora-%1.png").arg(size));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tintora_art <source-root>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = WriteMainWindowArt(root + "/Unit1/res");
    ok &= WriteAboutArt(root + "/about/res");
    ok &= WriteProgramIcons(root + "/app/desktop");
    return ok ? 0 : 1;
}
