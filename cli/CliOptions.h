#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "CpcPalette.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "InkChoice.h"
#include "Picture.h"
#include "RawSprite.h"
#include "SpriteCells.h"
#include "SpriteExport.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"
#include "Dithers.h"

// What one run of the command-line converter is asked to do.
struct CliOptions {
    std::string input;
    std::string output;
    // Every input when there are several: a slideshow disc (input is the first).
    std::vector<std::string> inputs;
    // The screen mode and the dither.
    int mode = kDefaultScreenMode;
    // A slideshow's mode for each input in order (--mode 0,1,2; mode is the
    // first); empty or one mode when every picture takes mode.
    std::vector<int> modes;
    // The screen the picture fills: the standard one or the full screen.
    TScreen screen = TScreen::Standard;
    TDither dither = TDither::Classic;
    // The colours an ink can take: the CPC's 27 or the CPC+'s 4,096.
    TPalette palette = kDefaultPalette;
    // The mode's inks (mode.inkCount of them).
    InkList inks;
    // With any ink given as "auto": the kept colours (indices of the
    // palette, CpcPalette.h), kChooseInk for the inks to choose before the
    // conversion.
    bool chooseInks = false;
    std::vector<int> keptInks;
    int brightness = 0;
    int contrast = 0;
    int local = 0;
    bool stretch = false;
    TFitMode fit = TFitMode::Off;
    // Where --fit crop's window sits in the spare width and height.
    TCropPosition cropAt{};
    bool help = false;
    // What the output ending asks for.
    TSaveFormat format = TSaveFormat::None;
    // An AMSDOS header for "scr", "dat", "pal" and "zx0".
    bool amsdos = false;
    // Where a "dat" or "zx0" with a header loads.
    int loadAddress = kRawSpriteLoadAddress;
    // A "zx0" in the classic (version 1) format instead of the current one.
    bool zx0Classic = false;
    // A "dsk" with the picture compressed (--pack zx0) and the viewer that unpacks it.
    bool pack = false;
    // The name on the CPC (disc files and headers), from --name or the output's name.
    std::string cpcName;
    // A sprite output ("asm", ".h", "bin"): its cells (a cell width of 0
    // makes the whole picture one cell) and the name of its labels.
    SpriteFormat spriteFormat = SpriteFormat::None;
    SpriteCutting sprite;
    std::string spriteName;
};

// Exit statuses of the converter.
inline constexpr int kCliOk = 0;
inline constexpr int kCliFailed = 1;   // a file could not be read or written
inline constexpr int kCliBadUsage = 2; // an argument is malformed or out of range
inline constexpr int kCliUnsuitablePicture = 3; // the picture does not suit the output

// Parses the arguments after the program name. Raises an Exception whose text
// names the argument and its range when one is malformed.
CliOptions Parse_Cli_Options(const std::vector<std::string>& arguments);

// The --help text.
std::string Cli_Usage();

// The note printed when --inks gives one colour twice (accepted: the screen
// then shows fewer colours than the mode has inks); empty otherwise. Inks
// left to the converter ("auto") are not counted. The colour is named in
// the palette's form.
std::string Repeated_Inks_Note(const std::vector<int>& inks, TPalette palette = kDefaultPalette);

// Runs the converter: load, fit to the mode's screen if asked, stretch if
// asked, map (only with a local term), choose inks if asked (the choice
// printed on out as "inks N,N,..." with the mode's count of colours, each in
// the palette's form: "inks 000,F80,..." with plus), dither,
// save by the output name's ending. Messages go to err; returns the exit status.
int Run_Cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
