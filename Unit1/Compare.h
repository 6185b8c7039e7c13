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
    // Colour numbers of the mode's inks, ink 0 first.
    std::vector<int> inkNumbers;
};

// The pictures Compare starts from: one source per mode (index = mode
// number; the same picture may serve several), with its map made here, and
// the slider positions the window uses.
struct TCompareInput {
    std::array<std::shared_ptr<TPicture>, kScreenModeCount> sources;
    int brightness = 0, contrast = 0, local = 0;
};

// The Compare window: the picture in modes 0, 1 and 2 (rows) by the classic
// dither, Ordered 4x4 and error diffusion (columns), each with inks chosen
// automatically for it. The nine are made one after another on a thread of
// their own and appear as they are done; a click on one, or Return or Space
// on the one with the focus, closes the window with it chosen, Escape closes
// it with nothing chosen. Closing stops the work.
class TF_Compare : public TForm, public Ui::TF_Compare {
    Q_OBJECT
  public:
    explicit TF_Compare(QWidget* parent = nullptr);
    ~TF_Compare() override;

    static constexpr int kCellCount = 9;
    // The modes and dithers of the nine, row by row.
    static TScreenChoice CellChoice(int cell);

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
    void cellDone(int cell, const QImage& thumbnail, const std::vector<int>& inkNumbers);
    void cellFailed(int cell, const std::string& reason);
    void stopWork();

    std::unique_ptr<CompareJob> mJob;
    std::array<std::optional<TCompareCell>, kCellCount> mCells;
    std::optional<TCompareCell> mChosen;
    // Counts the jobs ended, so that a late picture finds its job gone.
    int mShowing = 0;
};
