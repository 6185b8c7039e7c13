#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>

#include "MainWindowFixture.h"
#include "RenderScheduler.h"
#include "SysUtils.h"

namespace {

// A scheduler whose render records the value it finds, as a window's reads
// its sliders when it runs.
struct RecordedRenders {
    int value = 0;
    bool failing = false;
    std::vector<int> rendered;
    TRenderScheduler scheduler{[this] {
        if (failing)
            throw Exception("no memory left");
        rendered.push_back(value);
    }};

    void change(int v) {
        value = v;
        scheduler.Request();
    }
};

TEST(RenderScheduler, RendersTheLastValueOnceWhateverCameBefore) {
    RecordedRenders r;
    for (int v = 1; v <= 5; ++v)
        r.change(v);
    EXPECT_TRUE(r.rendered.empty()) << "nothing is rendered while changes come in";
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(r.rendered, std::vector<int>{5});

    r.change(6);
    r.scheduler.Flush();
    r.scheduler.Flush();
    QApplication::processEvents();
    EXPECT_EQ(r.rendered, (std::vector<int>{5, 6}))
        << "a flushed render is not run again by the event loop";

    r.change(7);
    r.scheduler.Rendered();
    QApplication::processEvents();
    EXPECT_EQ(r.rendered, (std::vector<int>{5, 6})) << "a state the caller rendered itself";
}

TEST(RenderScheduler, AFailedRenderStaysWaitingForTheNextFlush) {
    RecordedRenders r;
    r.failing = true;
    r.change(1);
    EXPECT_THROW(r.scheduler.Flush(), Exception);
    EXPECT_TRUE(r.scheduler.Pending());
    r.failing = false;
    r.scheduler.Flush();
    EXPECT_EQ(r.rendered, std::vector<int>{1});
}

using main_window_testing::convert;
using main_window_testing::defaultInks;
using main_window_testing::MainWindowCommands;
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

} // namespace
