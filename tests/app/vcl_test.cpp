#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "Forms.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

namespace {

// Records what ShowMessage shows for the length of a test.
class MessageRecorder {
  public:
    MessageRecorder()
        : mPrevious(SetMessageSink([this](const std::string& text) { messages.push_back(text); })) {
    }
    ~MessageRecorder() { SetMessageSink(mPrevious); }
    std::vector<std::string> messages;

  private:
    TMessageSink mPrevious;
};

// A window with one control of each kind that raises events, every event
// bound to a handler that counts its calls.
class EventForm : public TForm {
  public:
    EventForm() {
        button = new TButton(this);
        button->setGeometry(0, 0, 40, 20);
        speedButton = new TSpeedButton(this);
        speedButton->setGeometry(40, 0, 25, 25);
        panel = new TPanel(this);
        panel->setGeometry(0, 30, 30, 22);
        image = new TImage(this);
        image->setGeometry(40, 30, 16, 16);
        spin = new TCSpinEdit(this);
        spin->setRange(1, 4);
        trackBar = new TTrackBar(this);
        trackBar->setGeometry(0, 60, 100, 20);
        trackBar->setRange(-10, 10);
        timer = new TTimer(this);
        timer->SetInterval(1);
        resize(200, 100);

        Bind(this, &TForm::OnCreate, this, &EventForm::Count);
        Bind(this, &TForm::OnShow, this, &EventForm::Count);
        Bind(this, &TForm::OnClose, this, &EventForm::Count);
        Bind(button, &TButton::OnClick, this, &EventForm::Count);
        Bind(speedButton, &TSpeedButton::OnClick, this, &EventForm::Count);
        Bind(panel, &TPanel::OnClick, this, &EventForm::Count);
        Bind(image, &TImage::OnClick, this, &EventForm::Count);
        Bind(spin, &TCSpinEdit::OnChange, this, &EventForm::Count);
        Bind(trackBar, &TTrackBar::OnChange, this, &EventForm::Count);
        Bind(timer, &TTimer::OnTimer, this, &EventForm::Count);
    }

    void Count(TObject* Sender) {
        senders.push_back(Sender);
        if (failure)
            failure();
    }

    TButton* button;
    TSpeedButton* speedButton;
    TPanel* panel;
    TImage* image;
    TCSpinEdit* spin;
    TTrackBar* trackBar;
    TTimer* timer;
    std::vector<TObject*> senders;
    std::function<void()> failure;
};

struct EventCase {
    const char* name;
    std::function<TObject*(EventForm&)> raise; // raises the event, returns its sender
};

class BoundEvent : public ::testing::TestWithParam<EventCase> {};

TEST_P(BoundEvent, ReachesItsHandlerWithItsSender) {
    EventForm form;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.senders.clear();
    TObject* sender = GetParam().raise(form);
    ASSERT_FALSE(form.senders.empty());
    EXPECT_EQ(form.senders.front(), sender);
}

INSTANTIATE_TEST_SUITE_P(
    Events, BoundEvent,
    ::testing::Values(EventCase{"ButtonClick",
                                [](EventForm& f) -> TObject* {
                                    QTest::mouseClick(f.button, Qt::LeftButton);
                                    return f.button;
                                }},
                      EventCase{"SpeedButtonClick",
                                [](EventForm& f) -> TObject* {
                                    QTest::mouseClick(f.speedButton, Qt::LeftButton);
                                    return f.speedButton;
                                }},
                      EventCase{"PanelClick",
                                [](EventForm& f) -> TObject* {
                                    QTest::mouseClick(f.panel, Qt::LeftButton);
                                    return f.panel;
                                }},
                      EventCase{"ImageClick",
                                [](EventForm& f) -> TObject* {
                                    QTest::mouseClick(f.image, Qt::LeftButton);
                                    return f.image;
                                }},
                      EventCase{"SpinEditValue",
                                [](EventForm& f) -> TObject* {
                                    f.spin->SetValue(3);
                                    return f.spin;
                                }},
                      EventCase{"TrackBarByProgram",
                                [](EventForm& f) -> TObject* {
                                    f.trackBar->SetPosition(5);
                                    return f.trackBar;
                                }},
                      EventCase{"TrackBarByKey",
                                [](EventForm& f) -> TObject* {
                                    f.trackBar->setFocus();
                                    QTest::keyClick(f.trackBar, Qt::Key_Right);
                                    return f.trackBar;
                                }},
                      EventCase{"TimerTick",
                                [](EventForm& f) -> TObject* {
                                    f.timer->SetEnabled(true);
                                    EXPECT_TRUE(
                                        QTest::qWaitFor([&] { return !f.senders.empty(); }, 2000));
                                    f.timer->SetEnabled(false);
                                    return f.timer;
                                }},
                      EventCase{"FormClose",
                                [](EventForm& f) -> TObject* {
                                    f.Close();
                                    return &f;
                                }},
                      EventCase{"FormShowAgain",
                                [](EventForm& f) -> TObject* {
                                    f.Close();
                                    f.senders.clear();
                                    f.Show();
                                    return &f;
                                }}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

TEST(Events, CreateFormRunsTheCreationHandlerAndKeepsTheWindow) {
    EventForm* form = nullptr;
    TApplication application;
    application.CreateForm(form);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(application.GetMainForm(), form);
    ASSERT_EQ(form->senders.size(), 1u);
    EXPECT_EQ(form->senders.front(), form);
    application.DestroyForms();
}

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    std::string shown;
};

class FailingHandler : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingHandler, IsShownAsAMessageAndTheNextEventIsHandled) {
    MessageRecorder recorder;
    EventForm form;
    form.Show();
    form.failure = GetParam().fail;
    QTest::mouseClick(form.button, Qt::LeftButton);
    ASSERT_EQ(recorder.messages, std::vector<std::string>{GetParam().shown});

    form.failure = nullptr;
    form.senders.clear();
    form.trackBar->SetPosition(7);
    EXPECT_EQ(form.senders.size(), 1u);
    EXPECT_EQ(recorder.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FailingHandler,
    ::testing::Values(
        FailureCase{"Exception", [] { throw Exception("Cannot load a.bmp: not a bitmap"); },
                    "Cannot load a.bmp: not a bitmap"},
        FailureCase{"OutOfMemory", [] { throw std::bad_alloc(); },
                    "There is not enough memory to complete this operation."},
        FailureCase{"NotAStandardError", [] { throw 42; }, "An unknown error occurred."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(SpinEdit, SettingTheValueRaisesTheEventWhileHiddenAndDisabled) {
    EventForm form;
    form.spin->SetVisible(false);
    form.spin->SetEnabled(false);
    form.spin->SetValue(4);
    EXPECT_EQ(form.spin->GetValue(), 4);
    EXPECT_EQ(form.senders.size(), 1u);
    EXPECT_EQ(form.spin->GetMinValue(), 1);
    EXPECT_EQ(form.spin->GetMaxValue(), 4);
    form.spin->SetValue(9);
    EXPECT_EQ(form.spin->GetValue(), 4) << "the value stays within the range";
}

struct TypedNumberCase {
    const char* name;
    const char* typed;
    int kept;
    bool clamped;
};

class TypedNumber : public ::testing::TestWithParam<TypedNumberCase> {};

// Typed as a user types, key by key, then Enter; the range is -550..550.
TEST_P(TypedNumber, OutOfRangeBecomesTheNearestEndAndSaysSo) {
    TCSpinEdit box;
    box.setRange(-550, 550);
    box.setKeyboardTracking(false);
    int clamped = 0;
    QObject::connect(&box, &TCSpinEdit::OnClamped, [&] { ++clamped; });
    box.show();
    box.selectAll();
    QTest::keyClicks(&box, QString::fromLatin1(GetParam().typed));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.GetValue(), GetParam().kept);
    EXPECT_EQ(clamped, GetParam().clamped ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(, TypedNumber,
                         ::testing::Values(TypedNumberCase{"BelowTheRange", "-600", -550, true},
                                           TypedNumberCase{"AboveByAMultiple", "5000", 550, true},
                                           TypedNumberCase{"AboveByALastDigit", "999", 550, true},
                                           TypedNumberCase{"InTheRange", "-60", -60, false},
                                           TypedNumberCase{"AtTheEnd", "550", 550, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FilterCase {
    const char* name;
    std::string vcl;
    QStringList qt;
};

class FilterConversion : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterConversion, KeepsEveryEntry) {
    EXPECT_EQ(ConvertFilter(GetParam().vcl), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, FilterConversion,
    ::testing::Values(
        FilterCase{"OpenPicture", "Bitmaps (*.bmp)|*.bmp", {"Bitmaps (*.bmp)"}},
        FilterCase{
            "SaveThreeEntries",
            "Bitmap (bmp)|*.bmp|OCP Art Studio (scr)|*.scr|Raw sprite (dat)|*.dat",
            {"Bitmap (bmp) (*.bmp)", "OCP Art Studio (scr) (*.scr)", "Raw sprite (dat) (*.dat)"}},
        FilterCase{"SeveralPatterns", "Pictures|*.bmp;*.dib", {"Pictures (*.bmp *.dib)"}},
        FilterCase{"DescriptionWithoutPattern", "Everything", {"Everything (*)"}},
        FilterCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(FileDialog, DriverSeesTheRequestAndAnswersForTheUser) {
    std::vector<TFileDialogRequest> seen;
    std::optional<std::string> answer = "/tmp/picture.scr";
    const TFileDialogDriver previous = SetFileDialogDriver([&](const TFileDialogRequest& request) {
        seen.push_back(request);
        return answer;
    });
    TSaveDialog dialog;
    dialog.SetTitle("Save picture");
    dialog.SetFilter("Bitmap (bmp)|*.bmp");
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.GetFileName(), "/tmp/picture.scr");
    answer.reset();
    EXPECT_FALSE(dialog.Execute());
    SetFileDialogDriver(previous);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, TFileDialogKind::Save);
    EXPECT_EQ(seen[0].title, "Save picture");
    EXPECT_EQ(seen[0].filter, "Bitmap (bmp)|*.bmp");
    EXPECT_EQ(seen[0].options, ofOverwritePrompt | ofHideReadOnly);
}

// A window with an "Ok" button, which closes it by its modal result alone,
// and a "Cancel" button (Escape).
class ModalForm : public TForm {
  public:
    ModalForm() {
        ok = new TButton(this);
        ok->SetModalResult(mrOk);
        ok->setGeometry(0, 0, 60, 25);
        cancel = new TButton(this);
        cancel->SetCancel(true);
        cancel->setGeometry(70, 0, 60, 25);
        label = new TLabel(this);
        Bind(cancel, &TButton::OnClick, this, &ModalForm::CancelClick);
    }
    void CancelClick(TObject*) { SetModalResult(mrCancel); }
    TButton* ok;
    TButton* cancel;
    TLabel* label;
};

// Runs ShowModal with a driver that works the dialog, and returns its result.
int showDriven(TForm& form, std::function<void(TForm&)> drive) {
    const TModalDriver previous = SetModalDriver(std::move(drive));
    const int result = form.ShowModal();
    SetModalDriver(previous);
    return result;
}

TEST(ShowModal, ReturnsOnceTheWindowClosesHoweverItCloses) {
    ModalForm form;
    form.label->SetText("kept");
    bool shownWhileDriven = false;
    EXPECT_EQ(showDriven(form,
                         [&](TForm& f) {
                             shownWhileDriven = f.isVisible();
                             QTest::mouseClick(form.ok, Qt::LeftButton);
                         }),
              mrOk);
    EXPECT_TRUE(shownWhileDriven);
    EXPECT_FALSE(form.isVisible());

    EXPECT_EQ(showDriven(form, [&](TForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }), mrCancel);
    EXPECT_EQ(showDriven(form, [](TForm& f) { f.close(); }), mrNone);
    EXPECT_EQ(showDriven(form, [](TForm& f) { f.Close(); }), mrNone);
    EXPECT_EQ(form.label->GetText(), "kept") << "closing keeps the controls' state";
}

TEST(ShowModal, AWindowWithoutACancelButtonClosesOnEscape) {
    TForm form;
    form.resize(100, 50);
    EXPECT_EQ(showDriven(form, [](TForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }), mrNone);
    EXPECT_FALSE(form.isVisible());
}

TEST(Panel, BevelsCanBeSetAndReadBack) {
    TPanel panel;
    panel.SetBevelOuter(TPanel::bvLowered);
    panel.SetBevelInner(TPanel::bvRaised);
    EXPECT_EQ(panel.GetBevelOuter(), TPanel::bvLowered);
    EXPECT_EQ(panel.GetBevelInner(), TPanel::bvRaised);
    panel.resize(25, 25);
    EXPECT_EQ(panel.ClientRect(), QRect(2, 2, 21, 21));
}

TEST(Shape, BrushColourIsKeptAtFullDepth) {
    TShape shape;
    shape.Brush->SetColor(TColor{128, 0, 255});
    EXPECT_EQ(shape.Brush->GetColor(), (TColor{128, 0, 255}));
}

TEST(Label, TextIsUtf8) {
    TLabel label;
    label.SetText("Farbe \xC3\xBC");
    EXPECT_EQ(label.GetText(), "Farbe \xC3\xBC");
    EXPECT_EQ(label.text(), QString::fromUtf8("Farbe \xC3\xBC"));
}

// Renders the view (or a part of it, kept at its place) into an image of the
// view's size; what is not drawn stays green.
QImage rendered(QWidget& view, const QRect& part = QRect()) {
    QImage out(view.size(), QImage::Format_RGB32);
    out.fill(Qt::green);
    if (part.isNull())
        view.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    else
        view.render(&out, part.topLeft(), QRegion(part), QWidget::DrawChildren);
    return out;
}

QRgb red() {
    return qRgb(255, 0, 0);
}
QRgb blue() {
    return qRgb(0, 0, 255);
}

// A swatch's caption stays whole inside its frame, in a colour that stands out
// from the fill (pure blue once got black digits).
TEST(Shape, CaptionFitsAndContrastsWithItsFill) {
    const struct {
        TColor fill;
        bool lightText;
    } cases[] = {{{0, 0, 255}, true}, {{255, 255, 0}, false}, {{255, 0, 0}, true}};
    for (const auto& c : cases) {
        TShape shape;
        QFont font = shape.font();
        font.setPixelSize(16);
        shape.setFont(font);
        shape.resize(21, 17);
        shape.Brush->SetColor(c.fill);
        shape.SetCaption("FFF");
        const QImage out = rendered(shape);
        const QRgb fill = qRgb(c.fill.r, c.fill.g, c.fill.b);
        int textPixels = 0, lightPixels = 0;
        for (int y = 1; y < out.height() - 1; ++y) {
            EXPECT_EQ(out.pixel(1, y), fill) << "left edge, row " << y;
            EXPECT_EQ(out.pixel(out.width() - 2, y), fill) << "right edge, row " << y;
            for (int x = 1; x < out.width() - 1; ++x) {
                if (out.pixel(x, y) == fill)
                    continue;
                ++textPixels;
                lightPixels += qGray(out.pixel(x, y)) > qGray(fill);
            }
        }
        EXPECT_GT(textPixels, 0);
        EXPECT_EQ(lightPixels > textPixels / 2, c.lightText) << qGray(fill);
    }
}

TEST(Image, StretchedDrawingRepeatsPixelsWithoutBlending) {
    TImage view;
    view.GetPicture() = testing_pictures::filled(2, 1, 0, 0, 255);
    testing_pictures::setPixel(view.GetPicture(), 1, 0, 255, 0, 0);
    view.SetStretch(true);
    view.resize(6, 3);
    const QImage out = rendered(view);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(out.pixel(x, y), x < 3 ? red() : blue()) << "x " << x << ", y " << y;
}

// A view that is not a whole number of times its picture's size, as CPC
// proportions and mode 2 at zoom 1 make it.
struct UnevenStretch {
    const char* name;
    int pictureLength, viewLength;
};
class StretchedImage : public testing::TestWithParam<UnevenStretch> {};

// Drawn alone in white on black, every row and column of the picture gives
// the view the same light: none is drawn a screen pixel higher than the rest.
TEST_P(StretchedImage, EveryRowAndColumnCoversItsShare) {
    const auto [name, n, v] = GetParam();
    for (const bool rows : {false, true})
        for (int k = 0; k < n; ++k) {
            TImage view;
            view.GetPicture() = testing_pictures::filled(rows ? 1 : n, rows ? n : 1, 0, 0, 0);
            testing_pictures::setPixel(view.GetPicture(), rows ? 0 : k, rows ? k : 0, 255, 255, 255);
            view.SetStretch(true);
            view.resize(rows ? 1 : v, rows ? v : 1);
            const QImage out = rendered(view);
            double light = 0;
            for (int at = 0; at < v; ++at)
                light += qRed(out.pixel(rows ? 0 : at, rows ? at : 0)) / 255.0;
            ASSERT_NEAR(light, double(v) / n, 0.02) << (rows ? "row " : "column ") << k;
        }
}

INSTANTIATE_TEST_SUITE_P(Image, StretchedImage,
                         testing::Values(UnevenStretch{"RowsAtCpcProportions", 200, 434},
                                         UnevenStretch{"ColumnsHalved", 640, 320},
                                         UnevenStretch{"SmallPicture", 7, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Image, StretchedDrawingOfAnExposedPartMatchesTheWholeDrawing) {
    TImage view;
    view.GetPicture() = testing_pictures::random(7, 5, 3);
    view.SetStretch(true);
    view.resize(28, 20);
    const QImage whole = rendered(view);
    const QRect part(9, 5, 11, 7);
    const QImage partial = rendered(view, part);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 28; ++x) {
            const QRgb expected = part.contains(x, y) ? whole.pixel(x, y) : qRgb(0, 255, 0);
            ASSERT_EQ(partial.pixel(x, y), expected) << "x " << x << ", y " << y;
        }
}

TEST(Image, CentredDrawingKeepsThePictureAtItsSize) {
    TImage view;
    view.GetPicture() = testing_pictures::filled(2, 2, 0, 0, 255);
    view.SetCenter(true);
    view.resize(6, 4);
    const QImage out = rendered(view);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(out.pixel(x, y), inside ? red() : qRgb(0, 255, 0))
                << "x " << x << ", y " << y;
        }
}

TEST(Image, AutoSizeTakesThePictureSizeOnRefresh) {
    TImage view;
    view.SetAutoSize(true);
    view.resize(57, 33);
    view.GetPicture() = testing_pictures::filled(320, 200, 0, 0, 0);
    view.Refresh();
    EXPECT_EQ(view.size(), QSize(320, 200));
}

TEST(ScrollBox, ContentGrowsWithAVisibleChild) {
    TScrollBox box;
    auto* content = new QWidget;
    auto* view = new TImage(content);
    view->setGeometry(0, 0, 49, 25);
    auto* hidden = new TImage(content);
    hidden->setGeometry(0, 0, 57, 33);
    hidden->hide();
    box.setWidget(content);
    box.resize(200, 100);
    box.show();
    view->SetWidth(960);
    view->SetHeight(600);
    EXPECT_EQ(content->size(), QSize(960, 600));
    EXPECT_TRUE(box.horizontalScrollBar()->isVisible() || box.horizontalScrollBar()->maximum() > 0);
    view->SetWidth(40);
    view->SetHeight(20);
    EXPECT_EQ(content->size(), QSize(40, 20)) << "the hidden child takes no room";
}

} // namespace
