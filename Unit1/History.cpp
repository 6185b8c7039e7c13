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
    return stepOver(mUndo, mRedo);
}

const TWorkState& THistory::Redo() {
    return stepOver(mRedo, mUndo);
}

// Takes the last step of from, which leads to the state it holds, and files
// the state left as the step of to that leads back.
const TWorkState& THistory::stepOver(std::deque<Step>& from, std::deque<Step>& to) {
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({step.name, mCurrent});
    mCurrent = std::move(step.other);
    mRunOpen = false;
    return mCurrent;
}
