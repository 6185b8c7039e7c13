#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the sectors of a CPC DATA disc (kDiscBytes bytes, as Cpc_Data_Disc
// makes them) to fileName as an extended DSK image, the file emulators and
// disc tools read. LibDsk makes the image in a private temporary folder; its
// bytes then go through Write_Raw_File, so a failure leaves an existing file
// as it was and nothing else behind. Raises an Exception naming the file and
// the reason.
void Write_Disc_Image(const std::vector<std::uint8_t>& sectors, const std::string& fileName);
