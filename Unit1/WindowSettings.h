#pragma once

#include <string>
#include <vector>

#include <QByteArray>

#include "FitToScreen.h"
#include "MonitorPreview.h"
#include "ScreenChoice.h"

class QRect;
class QSettings;

// What the main window keeps between runs. Each field starts at the window's
// own start value, so a first run, with nothing kept, looks as it always
// did. A setting to keep gets a field here and a line in each function.
struct TWindowSettings {
    TScreenChoice screen{};
    TPalette palette = kDefaultPalette; // the colours an ink can take
    TFitMode fit = TFitMode::Off;
    int zoom = 1;
    TMonitor monitor = TMonitor::Plain;
    bool cpcProportions = false;
    // The folders the file dialogs open in; empty before the first use.
    std::string openFolder, saveFolder, exportFolder, paletteFolder;
    // The open dialog's filter entry: all pictures.
    int openFilter = 1;
    std::vector<std::string> recentFiles; // the latest first
    QByteArray geometry;                  // empty: the designed size, centred
};

// Reads what was kept; a missing, mistyped or out-of-range value keeps its
// start value, quietly: what Qt says of a damaged value is kept off the terminal.
TWindowSettings Read_Window_Settings(const QSettings& settings);

// The whole number kept under key when it is one from lowest to highest;
// otherwise (missing, not a number, out of range) quietly otherwise.
int Setting_Integer_In(const QSettings& settings, const char* key, int lowest, int highest, int otherwise);

// True when a kept window geometry (as QWidget::saveGeometry makes it) is
// whole and its window fits on the available desktop, in pixels: no wider or
// taller, and not off it. A window restored from anything else would be
// sized or placed by a damaged or foreign settings file.
bool Saved_Geometry_Fits(const QByteArray& geometry, const QRect& desktop);
void Write_Window_Settings(QSettings& settings, const TWindowSettings& kept);
