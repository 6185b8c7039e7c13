#pragma once

// What the main window's own files share and nobody else needs.

#include <string>
#include <utility>

#include "Unit1.h"

// Shown when a BMP is asked for before any picture has been loaded: the
// result is empty and there is nothing to write.
inline constexpr const char* kNothingToSaveMessage = "There is no picture to save yet.";

// One change of the result as the history sees it: the outermost scope
// records the window's state when it ends, under its name, so a command made
// of others (a fit that turns the stretch off) is one step.
class TForm1::StepScope {
  public:
    StepScope(TForm1& form, std::string name, std::string run = {})
        : mForm(form), mName(std::move(name)), mRun(std::move(run)) {
        ++mForm.mStepDepth;
    }
    ~StepScope() {
        if (--mForm.mStepDepth != 0)
            return;
        // Recording copies a few strings; should even that fail, the step is
        // lost, which is better than an error escaping a destructor.
        try {
            mForm.mHistory.Record(mName, mForm.workState(), mRun);
            mForm.updateUndoItems();
        } catch (...) {
        }
    }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

  private:
    TForm1& mForm;
    std::string mName, mRun;
};
