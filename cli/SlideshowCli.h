#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "CliOptions.h"

// The modes --mode's text gives: one for every picture ("1"), or one for each
// picture of a slideshow in order, separated by commas ("0,1,2"). Raises an
// Exception naming the option (and the picture, in a list) otherwise.
std::vector<int> Screen_Modes_From_Option(const std::string& text);

// Several inputs make a slideshow disc. Raises an Exception naming the
// argument when the rest asks for what a slideshow cannot be: an output that
// is not a "dsk", the full screen, the CPC+'s palette, one name for every
// picture, or a count of modes that is not the count of inputs.
void Check_Slideshow_Options(const CliOptions& options, bool nameGiven);

// Raises an Exception when --inks's text gives colours (any ink but "auto"),
// which are the inks of one mode, and modes are not all the same.
void Check_Slideshow_Inks(const std::vector<int>& modes, const std::string& inksText);

// Writes the slideshow disc of options.inputs (Save_Slideshow), each picture
// in its mode: with --inks auto its inks chosen in that mode, without --inks
// that mode's start inks. Prints the inks chosen for each picture,
// "inks N,N,... FILE", and the disc's listing on out; messages on err.
// Returns the exit status; nothing is written unless it is kCliOk.
int Run_Slideshow_Cli(const CliOptions& options, std::ostream& out, std::ostream& err);
