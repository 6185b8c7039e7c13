#include <string>

#include <gtest/gtest.h>

#include <QTest>

#include "Engine.h"
#include "Unit1.h"

namespace {

TEST(MainWindow, SlidersCoverTheEngineRangesAndStartAtZero) {
    TForm1 form;
    struct Expected {
        TTrackBar* slider;
        int min, max;
    };
    for (const Expected& e : {Expected{form.TrackBar1, kLocalMin, kLocalMax},
                              Expected{form.TrackBar3, kBrightnessMin, kBrightnessMax},
                              Expected{form.TrackBar4, kContrastMin, kContrastMax}}) {
        SCOPED_TRACE(e.slider->objectName().toStdString());
        EXPECT_EQ(e.slider->GetMin(), e.min);
        EXPECT_EQ(e.slider->GetMax(), e.max);
        EXPECT_EQ(e.slider->GetPosition(), 0);
    }
}

TEST(MainWindow, ZoomSpinBoxStartsHiddenDisabledAtOne) {
    TForm1 form;
    form.Show();
    EXPECT_FALSE(form.CSpinEdit1->isVisible());
    EXPECT_FALSE(form.CSpinEdit1->GetEnabled()) << "no picture loaded yet";
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 1);
    EXPECT_EQ(form.CSpinEdit1->GetMinValue(), 1);
    EXPECT_EQ(form.CSpinEdit1->GetMaxValue(), 4);
    form.Close();
}

TEST(MainWindow, InkSwatchesAndNumbersStartAtTheDefaultInks) {
    TForm1 form;
    EXPECT_EQ(form.Label6->GetText(), "0");
    EXPECT_EQ(form.Label7->GetText(), "3");
    EXPECT_EQ(form.Label8->GetText(), "15");
    EXPECT_EQ(form.Label9->GetText(), "26");
    EXPECT_EQ(form.Shape1->Brush->GetColor(), (TColor{0, 0, 0}));
    EXPECT_EQ(form.Shape2->Brush->GetColor(), (TColor{128, 0, 0}));
    EXPECT_EQ(form.Shape3->Brush->GetColor(), (TColor{255, 128, 0}));
    EXPECT_EQ(form.Shape4->Brush->GetColor(), (TColor{255, 255, 255}));
}

TEST(MainWindow, StretchStartsOffWithBothBevelsRaised) {
    TForm1 form;
    EXPECT_EQ(form.Panel2->GetBevelInner(), TPanel::bvRaised);
    EXPECT_EQ(form.Panel2->GetBevelOuter(), TPanel::bvRaised);
    EXPECT_EQ(form.StretchBackup, nullptr);
}

TEST(MainWindow, ShowingResetsTheInkTable) {
    TForm1 form;
    InkTable defaults;
    Reset_Ink_Table(defaults);
    form.Inks.fill(Ink{1, 2, 3});
    form.Show();
    EXPECT_EQ(form.Inks, defaults);
    form.Close();
    form.Inks[2] = Ink{9, 9, 9};
    form.Show();
    EXPECT_EQ(form.Inks, defaults) << "every showing resets it";
    form.Close();
}

TEST(MainWindow, PicturesStartEmptyAndOnlyTheResultIsShown) {
    TForm1 form;
    form.Show();
    EXPECT_EQ(form.Image1->GetPicture().GetWidth(), 0);
    EXPECT_FALSE(form.Image1->isVisible());
    EXPECT_FALSE(form.Image7->isVisible());
    EXPECT_TRUE(form.Image2->isVisible());
    EXPECT_TRUE(form.Image2->GetStretch());
    form.Close();
}

TEST(MainWindow, ResultViewResizingScrollsTheArea) {
    TForm1 form;
    form.Show();
    form.Image2->SetHeight(600);
    form.Image2->SetWidth(960);
    EXPECT_EQ(form.ScrollBox1->widget()->size(), QSize(960, 600));
    form.Close();
}

TEST(MainWindow, LayoutFillsTheWindowTopStripThenScrollArea) {
    TForm1 form;
    form.Show();
    form.resize(600, 500);
    QTest::qWait(0);
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 600, 97));
    EXPECT_EQ(form.ScrollBox1->geometry(), QRect(0, 97, 600, 403));
    form.Close();
}

TEST(MainWindow, FileDialogsAskForWhatTheCommandsNeed) {
    TForm1 form;
    EXPECT_EQ(form.OpenPictureDialog1.GetTitle(), "Load Picture");
    EXPECT_EQ(form.SaveDialog1.GetTitle(), "Save picture");
    EXPECT_EQ(ConvertFilter(form.SaveDialog1.GetFilter()).size(), 3);
    EXPECT_EQ(form.SaveDialog1.GetDefaultExt(), "") << "only the typed ending decides the format";
    EXPECT_TRUE(form.SaveDialog1.GetOptions() & ofOverwritePrompt);
}

TEST(MainWindow, GlyphsAndIconsAreLoaded) {
    TForm1 form;
    for (TSpeedButton* button : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3,
                                 form.SpeedButton4, form.SpeedButton5}) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_FALSE(button->toolTip().isEmpty());
    }
    for (TImage* icon : {form.Image3, form.Image4, form.Image5, form.Image6}) {
        SCOPED_TRACE(icon->objectName().toStdString());
        EXPECT_EQ(icon->GetPicture().GetWidth(), 16);
        EXPECT_EQ(icon->GetPicture().GetHeight(), 16);
    }
}

} // namespace
