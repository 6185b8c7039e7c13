#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <string>

#include "Controls.h"
#include "FitToScreen.h"
#include "Picture.h"
#include "CpcPalette.h"
#include "ScreenChoice.h"

// Everything of the main window that decides the result, besides the picture
// itself: what an Undo step puts back. A new setting of the conversion gets a
// field here and a line where the window reads and applies it. Every ink is
// kept, shown by the mode or not, as the window keeps them.
struct TWorkState {
    TScreenChoice screen{};
    TPalette palette = kDefaultPalette; // the colours the inks are of
    InkTable inks{};                                       // inks 0..3
    std::array<Ink, kMaxInkCount - kInkCount> upperInks{}; // inks 4..15
    std::array<std::string, kMaxInkCount> inkNumbers;      // the palette's number texts
    std::array<TColor, kMaxInkCount> swatches{};
    std::array<bool, kMaxInkCount> keepInk{};
    int brightness = 0;
    int contrast = 0;
    int local = 0;
    bool stretch = false;
    TFitMode fit = TFitMode::Off;
    TCropPosition cropAt{};
    friend bool operator==(const TWorkState&, const TWorkState&) = default;
};

// True when the two states give the same result: they differ at most in
// what the automatic ink choice keeps.
bool Same_Result(const TWorkState& a, const TWorkState& b);

// The window's Undo and Redo: named steps from one state to the next, the
// latest kStepsKept of them, and the state last saved.
class THistory {
  public:
    static constexpr std::size_t kStepsKept = 100;

    // A fresh history at state, which counts as saved.
    void Start(const TWorkState& state);
    // The window has gone to state by the step called name; a step that
    // changes nothing is not kept. Steps of the same run (a drag, a run of
    // key presses: a run name not empty) make one step until the run ends.
    void Record(const std::string& name, const TWorkState& state, const std::string& run = {});
    // The next step starts a new run.
    void EndRun() { mRunOpen = false; }

    bool CanUndo() const { return !mUndo.empty(); }
    bool CanRedo() const { return !mRedo.empty(); }
    std::string UndoName() const { return CanUndo() ? mUndo.back().name : std::string(); }
    std::string RedoName() const { return CanRedo() ? mRedo.back().name : std::string(); }
    // Goes one step back (forward) and returns the state to show. Only when
    // CanUndo (CanRedo).
    const TWorkState& Undo();
    const TWorkState& Redo();
    const TWorkState& Current() const { return mCurrent; }

    // The current state is what was saved or exported last.
    void MarkSaved() { mSaved = mCurrent; }
    // The result differs from the one saved last.
    bool Changed() const { return !Same_Result(mCurrent, mSaved); }

  private:
    struct Step {
        std::string name;
        TWorkState other; // the state on the other side of the step
    };
    std::deque<Step> mUndo, mRedo;
    const TWorkState& stepOver(std::deque<Step>& from, std::deque<Step>& to);
    TWorkState mCurrent, mSaved;
    std::string mRun;
    bool mRunOpen = false;
};
