#include "FittedSource.h"

#include <utility>

#include "Engine.h"

TPicture Load_Fitted_Source(const std::string& file, TFitMode fit, TCropPosition cropAt,
                            bool stretch, const ScreenMode& mode) {
    TPicture source;
    source.LoadFromFile(file, [fit, &mode](int width, int height) {
        return Fit_Decode_Divisor(width, height, fit, mode);
    });
    if (fit != TFitMode::Off) {
        TPicture fitted;
        Fit_To_Screen(source, fitted, fit, mode, cropAt);
        source = std::move(fitted);
    }
    if (stretch)
        Stretch_Palette(&source);
    return source;
}
