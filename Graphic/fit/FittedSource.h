#pragma once

#include <string>

#include "FitToScreen.h"
#include "Picture.h"
#include "ScreenMode.h"

// The picture a conversion starts from: file loaded (a JPEG decoded no larger
// than the fit needs, Fit_Decode_Divisor), brought to the screen of mode
// (which may be a mode on the full screen) by fit at cropAt unless fit is
// Off, then each channel stretched to the full range 0..255 when stretch.
// Raises the Exception of LoadFromFile, naming the file, when it cannot be
// read.
TPicture Load_Fitted_Source(const std::string& file, TFitMode fit, TCropPosition cropAt,
                            bool stretch, const ScreenMode& mode);
