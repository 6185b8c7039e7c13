#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "Forms.h"
#include "ScreenMode.h"
#include "SpriteSettings.h"
#include "ui_SpriteExportDialog.h"

class QSettings;

// File > Export for CPC > Sprites: cuts the result into cells and writes them
// as assembler, a C header or raw bytes, as tintora-cli --sprite does. The
// boxes give the cell size (the width snapped to whole bytes of the mode),
// the cells kept, the transparent ink, the format and the row order; the
// preview draws the cell grid over the result, the cells left out shaded.
class TSpriteExportDialog : public TForm, public Ui::TSpriteExportDialog {
    Q_OBJECT
  public:
    explicit TSpriteExportDialog(QWidget* parent = nullptr);

    // Shows the dialog modally for result in the mode's inks, starting from
    // the settings kept (in settings, when given, else from the last run);
    // true when a file was written. The settings are kept either way.
    bool Execute(const TPicture& result, const InkList& inks, const ScreenMode& mode, QSettings* settings);

    // What Execute does before showing: the boxes set for the result from kept.
    void Prepare(const TPicture& result, const InkList& inks, const ScreenMode& mode, const TSpriteSettings& kept);
    // The boxes as settings.
    TSpriteSettings GetSettings() const;
    // Why the boxes' cells do not fit the result, or "" when they do.
    std::string Refusal() const;
    // The file the boxes ask for, its labels named after fileName. Raises the
    // refusal when the cells do not fit.
    std::vector<std::uint8_t> FileBytes(const std::string& fileName) const;

    void SettingsChange(TObject* Sender);
    void ExportClick(TObject* Sender);

  private:
    SpriteCutting cutting() const;
    // The summary or the refusal, the preview and the Export button, for the boxes.
    void showCells();

    TSaveDialog mSaveDialog;
    TPicture mResult;
    InkList mInks;
    int mModeNumber = kDefaultScreenMode;
    TSpriteSettings mKept;
    bool mWritten = false;
};
