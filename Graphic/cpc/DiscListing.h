#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CpcDataDisc.h"

// The line that says what a DATA disc of files holds, for the command line:
//   disc: DISC.BAS, VIEW.BIN, PIC.ZX0 (6,412 bytes, 39 % of the screen); 171 KB free
// Each compressed (ZX0) file shows its bytes after its AMSDOS header and
// their share of screenBytes, the screen memory it unpacks to; the free
// space is the disc's whole blocks left over.
std::string Disc_Listing(const std::vector<DiscFile>& files, std::size_t screenBytes);
