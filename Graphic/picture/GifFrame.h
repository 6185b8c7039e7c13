#pragma once

#include <QByteArray>
#include <string>

// Follows a GIF stream's blocks from its header to the end of its first
// frame's image data, the frame the program shows, and refuses the stream
// when its bytes end first, or when its LZW codes end (or break off) before
// the frame's width x height pixels: "damaged GIF (its data is cut short)",
// `what` naming the stream. Qt's reader would fill the missing rows with the
// background instead. A stream too short for its header, or holding a block
// GIF does not have, is left to the decoder to refuse.
void checkGifFirstFrameWhole(const QByteArray& gif, const std::string& what);
