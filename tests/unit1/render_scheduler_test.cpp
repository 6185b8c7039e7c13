#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QRegion>
#include <QScrollBar>

#include "MainWindowFixture.h"
#include "RenderScheduler.h"
#include "SysUtils.h"

namespace {

// A scheduler over a picture of 100 rows, rows 40 to 50 in view, whose
// render records each part it renders with the value it started from, as a
// window's reads its sliders when it starts.
struct RecordedRenders {
    struct Part {
        int value, first, last;
        bool operator==(const Part&) const = default;
    };
    int value = 0;
    int started = 0;
    bool inOrder = false;
    bool failing = false;
    std::vector<Part> parts;
    int shown = 0;
    std::function<void()> duringStart; // what else happens while a render starts
    TRenderScheduler scheduler{{[this] {
                                    if (duringStart)
                                        duringStart();
                                    started = value;
                                    return 100;
                                },
                                [this] { return inOrder; },
                                [this](int first, int last) {
                                    if (failing)
                                        throw Exception("no memory left");
                                    parts.push_back({started, first, last});
                                },
                                [] { return std::pair{40, 50}; }, [this] { ++shown; }}};

    void change(int v) {
        value = v;
        scheduler.Request();
    }
    // The event loop until the render is done (or plainly never will be).
    void idle() {
        for (int turns = 0; turns < 100000 && scheduler.Pending(); ++turns)
            QApplication::processEvents();
    }
    // How many times each row was rendered for the value.
    std::vector<int> rowsRendered(int v) const {
        std::vector<int> times(100, 0);
        for (const Part& part : parts)
            for (int y = part.first; y < part.last; ++y)
                times[static_cast<std::size_t>(y)] += part.value == v;
        return times;
    }
};

TEST(RenderScheduler, RendersTheLastValueOnceAndTheRowsInViewFirst) {
    RecordedRenders r;
    for (int v = 1; v <= 5; ++v)
        r.change(v);
    EXPECT_TRUE(r.parts.empty()) << "nothing is rendered while changes come in";
    r.idle();
    ASSERT_FALSE(r.parts.empty());
    EXPECT_EQ(r.parts.front(), (RecordedRenders::Part{5, 40, 50}));
    EXPECT_EQ(r.rowsRendered(5), std::vector<int>(100, 1));
    EXPECT_EQ(r.shown, 1);

    r.change(6);
    r.scheduler.Flush();
    EXPECT_EQ(r.shown, 2) << "a flushed render is shown";
    r.scheduler.Flush();
    r.scheduler.RenderRows(0, 100);
    r.idle();
    EXPECT_EQ(r.rowsRendered(6), std::vector<int>(100, 1))
        << "a flushed render is not run again by the event loop";
    EXPECT_EQ(r.shown, 2);

    r.change(7);
    r.scheduler.Rendered();
    QApplication::processEvents();
    EXPECT_EQ(r.rowsRendered(7), std::vector<int>(100, 0)) << "a state the caller rendered itself";
}

// The rows in view are shown; a change that comes before the rest is done
// drops the rest: its own render covers every row.
TEST(RenderScheduler, ANewerValueDropsTheRestOfTheOlder) {
    RecordedRenders r;
    r.change(1);
    QCoreApplication::sendPostedEvents(&r.scheduler, QEvent::MetaCall);
    EXPECT_EQ(r.parts, (std::vector<RecordedRenders::Part>{{1, 40, 50}}));
    EXPECT_TRUE(r.scheduler.Pending());
    r.change(2);
    r.idle();
    std::vector<int> inView(100, 0);
    std::fill(inView.begin() + 40, inView.begin() + 50, 1);
    EXPECT_EQ(r.rowsRendered(1), inView);
    EXPECT_EQ(r.rowsRendered(2), std::vector<int>(100, 1));
}

// A paint of rows not yet rendered renders them first, starting the render
// if need be; rows that carry on to the rows below come from the top.
TEST(RenderScheduler, APaintRendersItsRowsFirstInOrderWhenTheyMustBe) {
    for (const bool inOrder : {false, true}) {
        RecordedRenders r;
        r.inOrder = inOrder;
        r.change(3);
        r.scheduler.RenderRows(70, 80);
        const int first = inOrder ? 0 : 70;
        EXPECT_EQ(r.parts, (std::vector<RecordedRenders::Part>{{3, first, 80}})) << inOrder;
        r.idle();
        EXPECT_EQ(r.rowsRendered(3), std::vector<int>(100, 1)) << inOrder;
    }
}

// Starting a render may repaint the window (the busy cursor does): that
// paint draws what is there and the render goes on, started once.
TEST(RenderScheduler, APaintWhileARenderStartsWaitsForIt) {
    RecordedRenders r;
    int starts = 0;
    r.duringStart = [&] {
        ++starts;
        r.scheduler.RenderRows(0, 100);
    };
    r.change(1);
    r.idle();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(r.rowsRendered(1), std::vector<int>(100, 1));
}

TEST(RenderScheduler, AFailedRenderStaysWaitingForTheNextFlush) {
    RecordedRenders r;
    r.failing = true;
    r.change(1);
    EXPECT_THROW(r.scheduler.Flush(), Exception);
    EXPECT_TRUE(r.scheduler.Pending());
    r.failing = false;
    r.scheduler.Flush();
    EXPECT_EQ(r.rowsRendered(1), std::vector<int>(100, 1));
}

using main_window_testing::convert;
using main_window_testing::defaultInks;
using main_window_testing::MainWindowCommands;
using testing_pictures::Bytes;
using testing_pictures::rows;

// Slider steps that come in before the window gets back to its event loop
// are overtaken: none of them is rendered, only the last value.
TEST_F(MainWindowCommands, OnlyTheLastOfQuickStepsIsRendered) {
    load(writeLandscape("land.bmp"));
    // The colour dialog runs an event loop of its own: the ink comes first.
    chooseColour(form.Button3, 6);
    const testing_pictures::Bytes before = result();
    const auto shown = [this] { return rows(form.Image2->GetPicture()); };
    for (const int brightness : {60, 120, 180})
        form.TrackBar3->SetPosition(brightness);
    EXPECT_EQ(shown(), before);
    QApplication::processEvents();
    InkTable inks = defaultInks();
    inks[1] = Ink_From_Colour_Number(6);
    EXPECT_EQ(shown(), rows(convert(testing_pictures::landscape(), inks, 180, 0, 0).result));
}

// A picture far taller than the view: a step renders the rows in view and
// leaves the rest for later; a scroll draws the rows it brings into view
// rendered for that step, and a save gets them all.
TEST_F(MainWindowCommands, RowsScrolledIntoViewAreRenderedForTheLatestStep) {
    const TPicture tall = testing_pictures::landscape(120, 3000);
    load(writePicture("tall.bmp", tall));
    const Bytes expected = rows(convert(tall, defaultInks(), 90, 0, 0).result);
    const auto shownRows = [&](const Bytes& all) {
        const QRect shown = form.Image2->VisiblePictureRect();
        const std::size_t row = 3 * 120;
        return Bytes(all.begin() + static_cast<long>(row * static_cast<std::size_t>(shown.top())),
                     all.begin() + static_cast<long>(row * static_cast<std::size_t>(shown.bottom() + 1)));
    };
    form.TrackBar3->SetPosition(90);
    QCoreApplication::sendPostedEvents(); // the step, without the idle rest
    EXPECT_TRUE(form.RenderPending());
    EXPECT_EQ(shownRows(rows(form.Image2->GetPicture())), shownRows(expected));
    QScrollBar* scroll = form.ScrollBox1->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    const QRegion visible = form.Image2->visibleRegion();
    QImage drawn(visible.boundingRect().size(), QImage::Format_RGB32);
    form.Image2->render(&drawn, QPoint(), visible);
    EXPECT_EQ(shownRows(rows(form.Image2->GetPicture())), shownRows(expected));
    EXPECT_EQ(result(), expected);
}

} // namespace
