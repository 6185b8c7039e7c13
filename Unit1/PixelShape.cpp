#include "PixelShape.h"

#include <algorithm>
#include <cmath>

QSize View_Size(int width, int height, const ScreenMode& mode, bool cpcProportions, int zoom) {
    const ScreenMode& square = Screen_Mode(kDefaultScreenMode);
    // A pixel's width in mode 1 pixels, and a row's height in mode 1 pixel widths.
    const double pixelWidth = zoom * mode.pixelAspect / square.pixelAspect;
    const double rowHeight = cpcProportions ? zoom / square.pixelAspect : zoom;
    const auto drawn = [](int count, double each) {
        return count > 0 ? std::max(1, static_cast<int>(std::lround(count * each))) : 0;
    };
    return QSize(drawn(width, pixelWidth), drawn(height, rowHeight));
}
