#include "InkSearchProgress.h"

#include <utility>

namespace {
constexpr int kOuterWidth = 308;
constexpr int kOuterHeight = 119;
// How often the bar follows the search, in milliseconds.
constexpr int kPollInterval = 30;
} // namespace

TInkSearchProgress::TInkSearchProgress(std::function<int()> percent, std::function<bool()> done,
                                       QWidget* parent)
    : TForm(parent), mPercent(std::move(percent)), mDone(std::move(done)) {
    setupUi(this);
    SetOuterSize(kOuterWidth, kOuterHeight);
    SetPosition(TPosition::poMainFormCenter);
    Timer1.SetInterval(kPollInterval);
    Bind(this, &TForm::OnShow, this, &TInkSearchProgress::FormShow);
    Bind(this, &TForm::OnClose, this, &TInkSearchProgress::FormClose);
    Bind(&Timer1, &TTimer::OnTimer, this, &TInkSearchProgress::Timer1Timer);
}

void TInkSearchProgress::FormShow(TObject*) {
    ProgressBar1->setValue(mPercent());
    Timer1.SetEnabled(true);
}

void TInkSearchProgress::FormClose(TObject*) {
    Timer1.SetEnabled(false);
}

void TInkSearchProgress::Timer1Timer(TObject*) {
    ProgressBar1->setValue(mPercent());
    if (mDone())
        SetModalResult(mrOk);
}
