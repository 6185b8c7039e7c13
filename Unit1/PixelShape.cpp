#include "PixelShape.h"

#include <cmath>

QSize View_Size(int width, int height, const ScreenMode& mode, bool cpcProportions, int zoom) {
    const ScreenMode& square = Screen_Mode(kDefaultScreenMode);
    // Width over height of one result pixel as drawn.
    const double aspect = cpcProportions ? mode.pixelAspect : mode.pixelAspect / square.pixelAspect;
    const double pixelWidth = aspect >= 1 ? zoom * aspect : zoom;
    const double pixelHeight = aspect >= 1 ? zoom : zoom / aspect;
    return QSize(static_cast<int>(std::lround(width * pixelWidth)), static_cast<int>(std::lround(height * pixelHeight)));
}
