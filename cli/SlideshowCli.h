#pragma once

#include <ostream>

#include "CliOptions.h"

// Several inputs make a slideshow disc. Raises an Exception naming the
// argument when the rest asks for what a slideshow cannot be: an output that
// is not a "dsk", the full screen, or one name for every picture.
void Check_Slideshow_Options(const CliOptions& options, bool nameGiven);

// Writes the slideshow disc of options.inputs (Save_Slideshow): prints the
// inks chosen for each picture, "inks N,N,... FILE", and the disc's listing on
// out; messages on err. Returns the exit status; nothing is written unless
// it is kCliOk.
int Run_Slideshow_Cli(const CliOptions& options, std::ostream& out, std::ostream& err);
