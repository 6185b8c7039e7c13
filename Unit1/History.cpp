#include "History.h"

#include <utility>

bool Same_Result(const TWorkState& a, const TWorkState& b) {
    TWorkState kept = b;
    kept.keepInk = a.keepInk;
    return a == kept;
}

void THistory::Start(const TWorkState& state) {
    mUndo.clear();
    mRedo.clear();
    mCurrent = state;
    mSaved = state;
    mRunOpen = false;
}

void THistory::Record(const std::string& name, const TWorkState& state, const std::string& run) {
    if (state == mCurrent)
        return;
    const bool joins = mRunOpen && !run.empty() && run == mRun && !mUndo.empty() && mRedo.empty();
    if (!joins) {
        mUndo.push_back({name, mCurrent});
        if (mUndo.size() > kStepsKept)
            mUndo.pop_front();
    }
    mRedo.clear();
    mCurrent = state;
    mRun = run;
    mRunOpen = !run.empty();
}

const TWorkState& THistory::Undo() {
    Step step = std::move(mUndo.back());
    mUndo.pop_back();
    mRedo.push_back({step.name, mCurrent});
    mCurrent = std::move(step.other);
    mRunOpen = false;
    return mCurrent;
}

const TWorkState& THistory::Redo() {
    Step step = std::move(mRedo.back());
    mRedo.pop_back();
    mUndo.push_back({step.name, mCurrent});
    mCurrent = std::move(step.other);
    mRunOpen = false;
    return mCurrent;
}
