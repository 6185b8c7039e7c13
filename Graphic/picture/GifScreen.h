#pragma once

#include <QByteArray>
#include <string>

// Checks a GIF stream's logical screen, the size of the picture every frame
// is drawn on, against kMaxPicturePixels before anything is decoded: the
// decoder sets out the whole screen even for a 1 x 1 frame. Raises an
// Exception "the GIF picture has more than 100 megapixels (16383 x 16383)",
// `what` naming the stream. A stream too short for the screen's size is left
// to the decoder to refuse.
void checkGifScreen(const QByteArray& gif, const std::string& what);
