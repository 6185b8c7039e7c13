#include "Dithers.h"

#include "AtkinsonDither.h"
#include "ClassicDither.h"
#include "CpcLevels.h"
#include "DiffusionDither.h"
#include "DitherRules.h"
#include "Engine.h"
#include "NearestDither.h"
#include "OrderedDither.h"
#include "SysUtils.h"

const std::vector<DitherInfo> kDithers = {
    {TDither::Classic, "classic", "Classic"},
    {TDither::Ordered2, "ordered2", "Ordered 2x2"},
    {TDither::Ordered4, "ordered4", "Ordered 4x4"},
    {TDither::Ordered8, "ordered8", "Ordered 8x8"},
    {TDither::Diffusion, "diffusion", "Error diffusion"},
    {TDither::Atkinson, "atkinson", "Atkinson"},
    {TDither::None, "none", "None"},
};

TDither Dither_From_Name(const std::string& name) {
    std::string choices;
    for (const DitherInfo& info : kDithers) {
        if (name == info.name)
            return info.dither;
        choices += (choices.empty() ? "" : ", ") + std::string(info.name);
    }
    throw Exception("There is no dither '" + name + "': the dithers are " + choices);
}

const DitherInfo& Dither_Info(TDither dither) {
    for (const DitherInfo& info : kDithers)
        if (info.dither == dither)
            return info;
    throw Exception("Unknown dither " + IntToStr(static_cast<int>(dither)));
}

std::shared_ptr<const DiffusionEdges> Prepare_Mode_Dither(TDither dither, TPicture& source,
                                                          const TPicture& map, int a, int b,
                                                          int c) {
    if (dither != TDither::Atkinson)
        return {};
    if (c != 0)
        Require_Map_Of(source, map);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    return Prepare_Atkinson_Edges(source, map, a, b, c,
                                  Shows_Cpc_Levels(source) ? TLevelReading::Cpc
                                                           : TLevelReading::Bytes);
}

std::unique_ptr<TDitherRun> Start_Mode_Dither(TDither dither, TPicture& source, TPicture& result,
                                              const TPicture& map, const InkList& inks, int a,
                                              int b, int c, const ScreenMode& mode,
                                              std::shared_ptr<const DiffusionEdges> prepared) {
    if (static_cast<int>(inks.size()) != mode.inkCount)
        throw Exception("Mode " + IntToStr(mode.number) + " takes " + IntToStr(mode.inkCount) +
                        " inks, not " + IntToStr(static_cast<int>(inks.size())));
    if (a < kBrightnessMin || a > kBrightnessMax || b < kContrastMin || b > kContrastMax ||
        c < kLocalMin || c > kLocalMax)
        throw Exception("Brightness " + IntToStr(a) + ", contrast " + IntToStr(b) +
                        " or local contrast " + IntToStr(c) +
                        " is outside -550..550, -370..370 or -20000..20000");
    // Only the local term reads the map, and it reads it pixel for pixel.
    if (c != 0)
        Require_Map_Of(source, map);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetWidth(source.GetWidth());
    result.SetHeight(source.GetHeight());
    // Art in CPC colours, or drawn in the CPC+ inks given, comes out as drawn
    // in every dither that mixes inks freely; the classic dither keeps its
    // own levels.
    const TLevelReading levels =
        dither != TDither::Classic ? Source_Level_Reading(source, inks) : TLevelReading::Bytes;
    switch (dither) {
    case TDither::Classic:
        return Start_Classic_Dither(inks, a, b, c);
    case TDither::Ordered2:
        return Start_Ordered_Dither(inks, a, b, c, 2, levels);
    case TDither::Ordered4:
        return Start_Ordered_Dither(inks, a, b, c, 4, levels);
    case TDither::Ordered8:
        return Start_Ordered_Dither(inks, a, b, c, 8, levels);
    case TDither::Diffusion:
        return Start_Floyd_Steinberg_Dither(inks, a, b, c, levels);
    case TDither::Atkinson:
        return Start_Atkinson_Dither(inks, a, b, c, levels, std::move(prepared));
    case TDither::None:
        return Start_Nearest_Dither(inks, a, b, c, levels);
    }
    throw Exception("Unknown dither " + IntToStr(static_cast<int>(dither)));
}

void Mode_Dither(TDither dither, TPicture& source, TPicture& result, const TPicture& map,
                 const InkList& inks, int a, int b, int c, const ScreenMode& mode,
                 std::shared_ptr<const DiffusionEdges> prepared) {
    Start_Mode_Dither(dither, source, result, map, inks, a, b, c, mode, std::move(prepared))
        ->Rows(source, result, map, 0, source.GetHeight());
}

TDither Dither_From_Option(const std::string& text) {
    try {
        return Dither_From_Name(text);
    } catch (const Exception&) {
        std::string names;
        for (const DitherInfo& info : kDithers)
            names += (names.empty() ? "" : info.dither == kDithers.back().dither ? " or " : ", ") +
                     std::string(info.name);
        throw Exception("--dither takes " + names + ", not '" + text + "'");
    }
}
