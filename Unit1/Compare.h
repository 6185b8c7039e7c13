#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "Controls.h"
#include "Events.h"
#include "Forms.h"
#include "ScreenChoice.h"
#include "ui_Compare.h"

class CompareJob;

// What one picture of the Compare window was made with.
struct TCompareCell {
    TScreenChoice choice;
    TPalette palette = kDefaultPalette;
    // The mode's inks as colour indices of the palette (CPC colour numbers
    // with cpc), ink 0 first.
    std::vector<int> inkNumbers;
};

// The pictures Compare starts from: one source per mode (index = mode
// number; the same picture may serve several), with its map made here, and
// the slider positions the window uses.
struct TCompareInput {
    std::array<std::shared_ptr<TPicture>, kScreenModeCount> sources;
    int brightness = 0, contrast = 0, local = 0;
    // With plus, the nine in CPC+ colours as well, beside the nine in CPC colours.
    TPalette palette = kDefaultPalette;
};

// The Compare window: the picture in modes 0, 1 and 2 (rows) by the classic
// dither, Ordered 4x4 and error diffusion (columns), each with inks chosen
// automatically for it; in CPC+ colours, the same three columns again in
// CPC+ colours to their right (cells 9..17). The cells are made one after
// another on a thread of their own and appear as they are done; a click on
// one, or Return or Space on the one with the focus, closes the window with
// it chosen, Escape closes it with nothing chosen. Closing stops the work.
class TF_Compare : public TForm, public Ui::TF_Compare {
    Q_OBJECT
  public:
    explicit TF_Compare(QWidget* parent = nullptr);
    ~TF_Compare() override;

    // The cells in CPC colours, then as many in CPC+ colours.
    static constexpr int kCpcCellCount = 9;
    static constexpr int kCellCount = 2 * kCpcCellCount;
    // The modes and dithers of the cells, row by row, and their palettes.
    static TScreenChoice CellChoice(int cell);
    static TPalette CellPalette(int cell);
    // The cells the window shows now: 9, or 18 in CPC+ colours.
    int GetShownCellCount() const { return mShownCells; }

    // Starts making the pictures, shows the window modally and returns the
    // one clicked, if any.
    std::optional<TCompareCell> Choose(TCompareInput input);

    // The cell's picture view and whether its picture is there yet.
    TImage* Thumbnail(int cell) const;
    bool IsCellDone(int cell) const;
    // What a cell's picture was made with, once it is done.
    std::optional<TCompareCell> GetCell(int cell) const;

    void ThumbnailClick(TObject* Sender);
    void FormClose(TObject* Sender);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Closes the window with the cell chosen, once its picture is made.
    void pick(int cell);
    TPanel* cellPanel(int cell) const;
    // On the window's thread: a picture is done.
    void cellDone(int cell, const QImage& thumbnail, const std::vector<int>& inkColours);
    // Shows the cells in CPC+ colours or not, the window as wide as they need.
    void showCells(TPalette palette);
    // The cell at a row and a column of the shown grid.
    static int cellAt(int row, int column);
    void cellFailed(int cell, const std::string& reason);
    void stopWork();

    std::unique_ptr<CompareJob> mJob;
    std::array<std::optional<TCompareCell>, kCellCount> mCells;
    std::optional<TCompareCell> mChosen;
    // Counts the jobs ended, so that a late picture finds its job gone.
    int mShowing = 0;
    int mShownCells = kCpcCellCount;
};
