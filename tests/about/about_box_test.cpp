// The About box as the program builds it: its layout, its closing, and the
// animation its timer plays, driven through the real box inside its modal
// loop.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "About.h"
#include "AboutAnimation.h"
#include "Unit1.h"

// ---- Allocation counting ----
// Every operator new of the process is counted while gCountAllocations is on,
// so a test can tell whether a piece of code allocates.

namespace {
std::atomic<bool> gCountAllocations{false};
std::atomic<long> gAllocations{0};
std::atomic<std::size_t> gLargestAllocation{0};

void countAllocation(std::size_t size) {
    if (!gCountAllocations.load(std::memory_order_relaxed))
        return;
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (size > gLargestAllocation.load(std::memory_order_relaxed))
        gLargestAllocation.store(size, std::memory_order_relaxed);
}

void* countedAllocation(std::size_t size) {
    countAllocation(size);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* countedAlignedAllocation(std::size_t size, std::align_val_t alignment) {
    countAllocation(size);
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* p = std::aligned_alloc(align, rounded == 0 ? align : rounded))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedAllocation(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedAllocation(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return countedAlignedAllocation(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return countedAlignedAllocation(size, alignment);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// The number of operator new calls made by `work`; gLargestAllocation then
// holds the largest size asked for.
long allocationsDuring(const std::function<void()>& work) {
    gAllocations = 0;
    gLargestAllocation = 0;
    gCountAllocations = true;
    work();
    gCountAllocations = false;
    return gAllocations.load();
}

// Counts the paint events of the object it watches.
class PaintCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// ---- The box and its showings ----

constexpr int kFrameHeight = 152;
// Long enough for several 40 ms ticks even on a loaded machine.
constexpr int kTickWaitMs = 5000;

// The one About box of the run, created as start-up creates it.
TAboutBox& box() {
    if (!AboutBox)
        Application->CreateForm(AboutBox);
    return *AboutBox;
}

// Shows the box modally, works it with `steps` from inside its modal loop,
// and returns the modal result.
int showAndDo(const std::function<void(TAboutBox&)>& steps) {
    TAboutBox& about = box();
    const TModalDriver previous = SetModalDriver([&](TForm&) {
        steps(about);
        if (about.isVisible()) {
            ADD_FAILURE() << "the box is still open after the steps";
            about.Close();
        }
    });
    const int result = about.ShowModal();
    SetModalDriver(previous);
    return result;
}

struct Phases {
    int band, row, slope;
    friend bool operator==(const Phases&, const Phases&) = default;
};

std::ostream& operator<<(std::ostream& out, const Phases& p) {
    return out << "{band " << p.band << ", row " << p.row << ", slope " << p.slope << "}";
}

Phases phasesNow() { return {BandPhase, RowPhase, SlopePhase}; }

void setPhases(const Phases& p) {
    BandPhase = static_cast<std::uint8_t>(p.band);
    RowPhase = static_cast<std::uint8_t>(p.row);
    SlopePhase = static_cast<std::uint8_t>(p.slope);
}

Phases advanced(const Phases& p, int ticks) {
    return {(p.band + ticks) % 256, (p.row + ticks) % 256, (p.slope + 2 * ticks) % 256};
}

// The frame the engine draws from the real texture at the given phases, made
// apart from the box; the phases are left as they were.
QImage engineFrame(const Phases& at) {
    const Phases saved = phasesNow();
    const TPicture texture = Load_About_Picture(":/about/about_texture.png");
    TPicture frame;
    Prepare_About_Animation(frame, kFrameHeight);
    setPhases(at);
    About_Animation_Tick(texture, frame);
    setPhases(saved);
    return frame.Image().copy();
}

QImage shownFrame(const TAboutBox& about) { return about.Image4->GetPicture().Image().copy(); }

// What Image4 puts on screen, in the frame's pixel layout.
QImage paintedFrame(TAboutBox& about) {
    return about.Image4->grab().toImage().convertToFormat(QImage::Format_BGR888);
}

// Runs `onTick` after each tick of the box's timer (after the frame has been
// drawn and shown) until it returns false or the wait runs out; returns the
// number of ticks seen.
int watchTicks(TAboutBox& about, const std::function<bool(int tick)>& onTick) {
    int ticks = 0;
    bool watching = true;
    const QMetaObject::Connection connection =
        QObject::connect(about.Timer1, &TTimer::OnTimer, &about, [&] {
            if (watching)
                watching = onTick(++ticks);
        });
    for (int waited = 0; watching && waited < kTickWaitMs; waited += 10)
        QTest::qWait(10);
    QObject::disconnect(connection);
    return ticks;
}

// ---- Layout ----

TEST(AboutBoxWindow, IsAFixedWhiteDialogWithOnlyACloseBox) {
    TAboutBox& about = box();
    EXPECT_EQ(about.GetCaption(), "About...");
    EXPECT_EQ(about.size(), QSize(415, 386)) << "the client area";
    EXPECT_EQ(about.minimumSize(), QSize(415, 386));
    EXPECT_EQ(about.maximumSize(), QSize(415, 386));
    const Qt::WindowFlags flags = about.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(about.autoFillBackground());
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(about.parent(), nullptr);
}

struct ControlPlace {
    const char* name;
    QRect geometry;
};

TEST(AboutBoxWindow, ControlsSitWhereTheLayoutPutsThem) {
    TAboutBox& about = box();
    const std::vector<std::pair<QWidget*, ControlPlace>> table = {
        {about.Image2, {"Image2", {0, 0, 137, 386}}},
        {about.ProductName, {"ProductName", {152, 72, 257, 13}}},
        {about.Version, {"Version", {328, 88, 83, 13}}},
        {about.Comments, {"Comments", {144, 280, 265, 33}}},
        {about.Label1, {"Label1", {144, 328, 265, 13}}},
        {about.Image1, {"Image1", {152, 0, 257, 73}}},
        {about.Image3, {"Image3", {216, 112, 128, 153}}},
        {about.Image4, {"Image4", {216, 112, 128, 152}}},
        {about.OKButton, {"OKButton", {231, 356, 75, 25}}},
    };
    for (const auto& [control, place] : table) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(control->objectName(), place.name);
        EXPECT_EQ(control->geometry(), place.geometry);
        EXPECT_EQ(control->parent(), &about);
    }
    // The notice sizes itself to its text from its designed corner, and stays
    // clear of the version line beside it.
    const QRect notice = about.Copyright->geometry();
    EXPECT_EQ(notice.topLeft(), QPoint(144, 88));
    EXPECT_EQ(notice.height(), 13);
    EXPECT_GE(notice.width(), about.Copyright->fontMetrics().horizontalAdvance(about.Copyright->text()));
    EXPECT_LT(notice.right(), about.Version->x());
}

TEST(AboutBoxWindow, ControlsAreCreatedInTheLayoutsOrder) {
    TAboutBox& about = box();
    std::vector<std::string> order;
    for (QObject* child : about.children())
        if (child->isWidgetType())
            order.push_back(child->objectName().toStdString());
    EXPECT_EQ(order, (std::vector<std::string>{"Image2", "ProductName", "Version", "Copyright",
                                               "Comments", "Label1", "Image1", "Image3", "Image4",
                                               "OKButton"}));
}

// The rows and columns of an image that hold ink: pixels clearly darker than
// the white background.
QRect inkExtent(const QImage& image) {
    QRect extent;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                extent |= QRect(x, y, 1, 1);
    return extent;
}

// The ink of a label's text drawn as the label would lay it out, with room
// to spare on every side, so nothing of it can be cut.
QRect inkWithRoom(const TLabel& label) {
    constexpr int kRoom = 100;
    QImage canvas(label.width() + 2 * kRoom, label.height() + 2 * kRoom, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setFont(label.font());
    painter.setPen(Qt::black);
    const int flags = static_cast<int>(label.alignment() & Qt::AlignHorizontal_Mask) |
                      Qt::AlignTop | (label.wordWrap() ? Qt::TextWordWrap : 0);
    painter.drawText(QRect(kRoom, kRoom, label.width(), label.height() + kRoom), flags,
                     label.text());
    painter.end();
    return inkExtent(canvas);
}

TEST(AboutBoxWindow, TextsAreShownWholeInTheirLabels) {
    TAboutBox& about = box();
    EXPECT_EQ(about.ProductName->GetText(), "CPC modes 0, 1 and 2");
    EXPECT_EQ(about.Version->GetText(), "Version 1.4");
    EXPECT_EQ(about.OKButton->GetCaption(), "OK");
    EXPECT_NE(about.Copyright->GetText().find("2026"), std::string::npos);
    EXPECT_FALSE(about.Label1->GetText().empty());

    const QImage window = about.grab().toImage();
    const std::vector<std::pair<TLabel*, Qt::Alignment>> labels = {
        {about.ProductName, Qt::AlignHCenter}, {about.Version, Qt::AlignRight},
        {about.Copyright, Qt::AlignHCenter},   {about.Comments, Qt::AlignHCenter},
        {about.Label1, Qt::AlignHCenter},
    };
    for (const auto& [label, alignment] : labels) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, alignment);
        const QRect shown = inkExtent(window.copy(label->geometry()));
        const QRect whole = inkWithRoom(*label);
        ASSERT_FALSE(whole.isEmpty());
        EXPECT_EQ(shown.size(), whole.size()) << "every row and column of the text's ink shows";
    }
    // The distribution note is about ninety characters, wrapped onto two lines.
    const std::string note = about.Comments->GetText();
    EXPECT_GE(note.size(), 80u);
    EXPECT_LE(note.size(), 100u);
    const QFontMetrics metrics = about.Comments->fontMetrics();
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, about.Comments->width(), 1000),
                                               Qt::AlignHCenter | Qt::TextWordWrap,
                                               about.Comments->text());
    // Laid-out lines keep their fractional heights, so count them by rounding.
    EXPECT_EQ(qRound(wrapped.height() / static_cast<double>(metrics.lineSpacing())), 2) << "two lines";
}

TEST(AboutBoxWindow, PicturesAre24BitAtTheirSizes) {
    TAboutBox& about = box();
    struct Expected {
        const char* name;
        const TPicture& picture;
        QSize size;
    };
    const std::vector<Expected> table = {
        {"side picture", about.Image2->GetPicture(), {137, 386}},
        {"logo", about.Image1->GetPicture(), {188, 66}},
        {"texture", about.Image3->GetPicture(), {128, 512}},
        {"frame", about.Image4->GetPicture(), {128, 152}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(QSize(e.picture.GetWidth(), e.picture.GetHeight()), e.size);
        EXPECT_EQ(e.picture.GetPixelFormat(), TPixelFormat::pf24bit);
    }
    EXPECT_TRUE(about.Image1->GetCenter()) << "the logo is centred in its view";
    EXPECT_FALSE(about.Image4->GetCenter());
    EXPECT_FALSE(about.Image4->GetStretch()) << "the frame shows at 1:1";
    EXPECT_FALSE(about.Image3->GetVisible()) << "the texture is never shown";
    EXPECT_TRUE(about.Image4->GetVisible());
}

TEST(AboutBoxWindow, OkIsTheDefaultButtonFirstInTabOrderAndTheTimerWaits) {
    TAboutBox& about = box();
    EXPECT_TRUE(about.OKButton->isDefault());
    EXPECT_EQ(about.OKButton->GetModalResult(), mrOk);
    QWidget* firstTabStop = about.nextInFocusChain();
    while (firstTabStop != &about && !(firstTabStop->focusPolicy() & Qt::TabFocus))
        firstTabStop = firstTabStop->nextInFocusChain();
    EXPECT_EQ(firstTabStop, about.OKButton) << "tab order 0";
    EXPECT_EQ(about.Timer1->GetInterval(), 40);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.Timer1->GetEnabled()) << "no ticks before the box is shown";
}

// ---- Showing and closing ----

struct CloseWay {
    const char* name;
    std::function<void(TAboutBox&)> close;
    int modalResult;
};

void PrintTo(const CloseWay& way, std::ostream* out) { *out << way.name; }

class AboutBoxClosing : public ::testing::TestWithParam<CloseWay> {};

TEST_P(AboutBoxClosing, TimerRunsExactlyWhileShown) {
    bool shown = false;
    bool tickingWhileShown = false;
    QRect placed;
    const int result = showAndDo([&](TAboutBox& about) {
        shown = about.isVisible();
        tickingWhileShown = about.Timer1->GetEnabled();
        placed = about.frameGeometry();
        GetParam().close(about);
    });
    EXPECT_EQ(result, GetParam().modalResult);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(tickingWhileShown);
    EXPECT_FALSE(box().isVisible()) << "closing hides the box";
    EXPECT_FALSE(box().Timer1->GetEnabled());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((placed.center() - screen.center()).manhattanLength(), 40) << "centred on the screen";
}

void pressKey(TAboutBox& about, Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &about ? focus : &about, key);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutBoxClosing,
    ::testing::Values(
        CloseWay{"ClickOk", [](TAboutBox& a) { QTest::mouseClick(a.OKButton, Qt::LeftButton); },
                 mrOk},
        CloseWay{"Enter", [](TAboutBox& a) { pressKey(a, Qt::Key_Return); }, mrOk},
        CloseWay{"KeypadEnter", [](TAboutBox& a) { pressKey(a, Qt::Key_Enter); }, mrOk},
        CloseWay{"CloseBox", [](TAboutBox& a) { a.close(); }, mrNone},
        CloseWay{"Escape", [](TAboutBox& a) { pressKey(a, Qt::Key_Escape); }, mrNone}),
    [](const ::testing::TestParamInfo<CloseWay>& info) { return std::string(info.param.name); });

TEST(AboutBoxShowing, TheMainWindowsAboutButtonShowsTheBoxModally) {
    box();
    if (!Form1)
        Application->CreateForm(Form1);
    Form1->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    std::vector<TForm*> shown;
    bool modal = false;
    const TModalDriver previous = SetModalDriver([&](TForm& form) {
        shown.push_back(&form);
        modal = form.isModal();
        QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(Form1->SpeedButton4, Qt::LeftButton);
    SetModalDriver(previous);
    EXPECT_EQ(shown, (std::vector<TForm*>{AboutBox}));
    EXPECT_TRUE(modal);
    EXPECT_FALSE(AboutBox->isVisible());
    EXPECT_FALSE(AboutBox->Timer1->GetEnabled());
    EXPECT_TRUE(Form1->isVisible());
    Form1->hide();
}

// ---- The animation ----

TEST(AboutBoxAnimation, FirstTickOfTheRunShowsTheEnginesFirstFrame) {
    TAboutBox& about = box();
    setPhases({0, 0, 0}); // as at program start
    QImage drawn, painted;
    Phases afterTick{};
    const int result = showAndDo([&](TAboutBox& a) {
        watchTicks(a, [&](int) {
            drawn = shownFrame(a);
            painted = paintedFrame(a);
            afterTick = phasesNow();
            a.Close();
            return false;
        });
    });
    EXPECT_EQ(result, mrNone);
    EXPECT_EQ(afterTick, (Phases{1, 1, 2}));
    const QImage expected = engineFrame({0, 0, 0});
    ASSERT_EQ(expected.size(), QSize(128, 152));
    EXPECT_TRUE(drawn == expected) << "the frame drawn by the first tick";
    EXPECT_TRUE(painted == expected) << "the frame on screen after the first tick";
    // Frame row 0 is texture row 10 on the first tick; the real texture must
    // tell the rows apart for this comparison to mean anything.
    EXPECT_FALSE(engineFrame({0, 0, 0}) == engineFrame({1, 1, 2}));
    EXPECT_FALSE(about.Timer1->GetEnabled());
}

TEST(AboutBoxAnimation, ShowingAgainResumesWithoutSkippingOrRepeatingAndHiddenNothingMoves) {
    TAboutBox& about = box();
    const Phases start = phasesNow();
    int ticksSeen = 0;
    showAndDo([&](TAboutBox& a) {
        ticksSeen = watchTicks(a, [&](int tick) {
            if (tick < 3)
                return true;
            a.Close();
            return false;
        });
    });
    ASSERT_EQ(ticksSeen, 3) << "the real timer ticks inside the modal loop";
    const Phases atClose = phasesNow();
    EXPECT_EQ(atClose, advanced(start, 3)) << "one phase step per tick";
    const QImage lastFrame = shownFrame(about);
    EXPECT_TRUE(lastFrame == engineFrame(advanced(start, 2)));

    QTest::qWait(200); // five ticks' time while hidden
    EXPECT_EQ(phasesNow(), atClose) << "nothing moves while the box is hidden";
    EXPECT_TRUE(shownFrame(about) == lastFrame);

    Phases atShow{};
    QImage frameAtShow, firstFrame;
    Phases afterFirst{};
    showAndDo([&](TAboutBox& a) {
        atShow = phasesNow();
        frameAtShow = shownFrame(a);
        watchTicks(a, [&](int) {
            firstFrame = shownFrame(a);
            afterFirst = phasesNow();
            QTest::mouseClick(a.OKButton, Qt::LeftButton);
            return false;
        });
    });
    EXPECT_EQ(atShow, atClose) << "showing neither resets nor advances the phases";
    EXPECT_TRUE(frameAtShow == lastFrame) << "until the first tick the last frame stays";
    EXPECT_TRUE(firstFrame == engineFrame(atClose)) << "the next frame, none skipped or repeated";
    EXPECT_EQ(afterFirst, advanced(atClose, 1));
}

TEST(AboutBoxAnimation, ATickDrawsIntoTheSameBufferWithoutAllocating) {
    showAndDo([&](TAboutBox& a) {
        a.Timer1->SetEnabled(false); // the ticks below are driven by hand
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&a)) << "a hidden view paints nothing";
        a.Timer1Timer(a.Timer1);     // a first showing's first tick
        TPicture& frame = a.Image4->GetPicture();
        const std::uint8_t* pixels = frame.Image().constBits();

        const long engineAllocations = allocationsDuring([&] {
            for (int i = 0; i < 256; ++i)
                About_Animation_Tick(a.Image3->GetPicture(), frame);
        });
        EXPECT_EQ(engineAllocations, 0) << "drawing frames allocates nothing";

        for (int i = 0; i < 10; ++i) {
            a.Timer1Timer(a.Timer1);
            EXPECT_EQ(frame.Image().constBits(), pixels) << "tick " << i;
            EXPECT_TRUE(frame.Image().isDetached()) << "the view keeps no copy of the frame";
        }
        EXPECT_EQ(a.Image4->GetPicture().Image().constBits(), pixels);
        // The whole handler, the immediate repaint included: the view is
        // painted before the handler returns. The drawing allocates nothing;
        // the toolkit's painter and paint event allocate a few small blocks
        // of their own (about two dozen here), none of them pixels.
        PaintCounter paints;
        a.Image4->installEventFilter(&paints);
        const long handlerAllocations = allocationsDuring([&] { a.Timer1Timer(a.Timer1); });
        a.Image4->removeEventFilter(&paints);
        EXPECT_EQ(paints.count, 1) << "one immediate repaint per tick";
        EXPECT_LT(gLargestAllocation.load(), static_cast<std::size_t>(kRowBytes * kFrameHeight))
            << "no block that could hold a copy of the frame";
        EXPECT_EQ(frame.Image().constBits(), pixels);
        ::testing::Test::RecordProperty("toolkit_allocations_per_repaint",
                                        static_cast<int>(handlerAllocations));

        // The counter sees the toolkit's allocations: a view holding a copy
        // of the frame would make the next row write allocate.
        const long detachAllocations = allocationsDuring([&] {
            const QImage shared = frame.Image();
            frame.GetScanline(0)[0] ^= 1;
        });
        EXPECT_GE(detachAllocations, 1);
        a.Close();
    });
}

} // namespace
