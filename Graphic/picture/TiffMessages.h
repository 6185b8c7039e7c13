#pragma once

#include <string>

// libtiff prints its errors and warnings straight to standard error unless
// told otherwise, and Qt's TIFF reader does not tell it. Once Qt has loaded
// libtiff (with its TIFF reader), this routes them through Qt's logging,
// where LibraryMessages keeps them during a decode. Does nothing while
// libtiff is not loaded; once it has been routed, nothing more.
void routeTiffMessagesThroughQt();

// libtiff's last message (as routed above, "module: text") in plain words
// for a user, one line: what is wrong with a TIFF file of `fileBytes` bytes,
// e.g. "a directory lies past the end of the file". A message with no plain
// words of its own keeps a short form of libtiff's text after them.
std::string plainTiffReason(const std::string& libtiffText, long long fileBytes);
