#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// What a render is made of, for TRenderScheduler.
struct TRenderParts {
    // Makes ready a render of the window's state as it is now (its controls,
    // its pictures) and returns how many rows it has; may raise.
    std::function<int()> start;
    // True when the started render's rows must come in order, from the top.
    std::function<bool()> inOrder;
    // Renders rows [first, last) of the started render; may raise.
    std::function<void(int first, int last)> rows;
    // The rows the user sees now, [first, last): rendered first.
    std::function<std::pair<int, int>()> visibleRows;
    // The rows in view are rendered: shows them.
    std::function<void()> show;
};

// Coalesces a window's renders and renders what the user sees first. Each
// change of what the result depends on asks for a render; the render runs
// once control is back in the event loop, reading the controls as they are
// then, so however many changes came in meanwhile, only the latest state is
// rendered, and each of its rows once. It is posted at normal priority,
// ahead of Qt's low-priority repaints, so no frame shows a result older than
// the controls beside it. That step renders the rows in view and shows them;
// the rest are rendered in parts while the event loop has nothing else to
// do, and a newer change drops them, since its own render covers them. A
// paint of rows not yet rendered renders them first (RenderRows), and
// commands that read the whole result flush it.
class TRenderScheduler : public QObject {
    Q_OBJECT
  public:
    explicit TRenderScheduler(TRenderParts parts, QObject* parent = nullptr);

    // Asks for a render of the state as it will be when the event loop runs.
    void Request();
    // Renders now everything that waits; nothing when nothing does. A render
    // that raises stays waiting, so the next Flush tries again.
    void Flush();
    // Renders now the rows of [first, last) that wait (a paint's rows),
    // starting the render first if it has not started.
    void RenderRows(int first, int last);
    // The window has just rendered its current state itself: nothing waits.
    void Rendered();
    // True while any row of the latest state is not rendered.
    bool Pending() const;

  private:
    void runPosted();
    void runIdle();
    void startIfWaiting();
    // Shows the started render once its rows in view are rendered, once.
    void showIfUnshown();
    // Renders the rows of [first, last) not done yet, in as few calls as can be.
    void renderMissing(int first, int last);
    // The first row not done, or the row count when all are.
    int firstMissing() const;

    TRenderParts mParts;
    bool mWaiting = false; // a render is asked for and not yet started
    bool mPosted = false;  // a call to runPosted waits in the event queue
    bool mStarted = false; // a render is started: mRowCount, mDone hold
    bool mUnshown = false; // the started render's rows in view are not shown yet
    bool mInOrder = false;
    int mRowCount = 0;
    std::vector<std::pair<int, int>> mDone; // rows rendered: sorted, disjoint [first, last)
    bool mRendering = false; // inside start or rows: RenderRows waits
    QTimer mIdle;        // renders the rest while the event loop is idle
    int mIdleRows = 16;  // rows of the next idle part, grown or shrunk to its time
};
