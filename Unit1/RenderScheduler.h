#pragma once

#include <functional>

#include <QObject>

// Coalesces a window's renders. Each change of what the result depends on
// asks for a render; the render itself runs once control is back in the
// event loop, reading the controls as they are then, so however many changes
// came in meanwhile, only the latest state is rendered, and once. It is posted
// at normal priority, ahead of Qt's low-priority repaints, so no frame shows
// a result older than the controls beside it. Flush renders at once what is
// waiting, for commands that read the result (Save) and for tests.
class TRenderScheduler : public QObject {
    Q_OBJECT
  public:
    // render: makes the result from the window's current state; may raise.
    explicit TRenderScheduler(std::function<void()> render, QObject* parent = nullptr);

    // Asks for a render of the state as it will be when the event loop runs.
    void Request();
    // Runs a waiting render now; nothing when none waits. A render that
    // raises stays waiting, so the next Flush tries again.
    void Flush();
    // The window has just rendered its current state itself: nothing waits.
    void Rendered();
    bool Pending() const { return mPending; }

  private:
    void runPosted();

    std::function<void()> mRender;
    bool mPending = false; // a render is asked for and not yet done
    bool mPosted = false;  // a call to runPosted waits in the event queue
};
