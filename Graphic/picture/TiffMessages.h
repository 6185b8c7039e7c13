#pragma once

// libtiff prints its errors and warnings straight to standard error unless
// told otherwise, and Qt's TIFF reader does not tell it. Once Qt has loaded
// libtiff (with its TIFF reader), this routes them through Qt's logging,
// where LibraryMessages keeps them during a decode. Does nothing while
// libtiff is not loaded; once it has been routed, nothing more.
void routeTiffMessagesThroughQt();
