#pragma once

#include <functional>

#include "Controls.h"
#include "Events.h"
#include "Forms.h"
#include "ui_InkSearchProgress.h"

// The progress of an automatic ink search, shown modally while it runs. It
// closes itself with mrOk once the search is done; "Cancel" (or Escape, or
// the close button) closes it without.
class TInkSearchProgress : public TForm, public Ui::TInkSearchProgress {
    Q_OBJECT
  public:
    // percent() gives the search's progress 0..100, done() whether it is over;
    // both are read on the user-interface thread while the window shows.
    TInkSearchProgress(std::function<int()> percent, std::function<bool()> done,
                       QWidget* parent = nullptr);

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender);
    void Timer1Timer(TObject* Sender);

  private:
    TTimer Timer1;
    std::function<int()> mPercent;
    std::function<bool()> mDone;
};
