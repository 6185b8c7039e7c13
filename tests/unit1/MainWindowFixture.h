#pragma once

// The main window under test: its file dialogs answered from a queue, its
// modal colour dialog worked by steps the test gives, its messages recorded.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "Colorselect.h"
#include "Engine.h"
#include "LandscapePicture.h"
#include "PictureBuilder.h"
#include "RawFile.h"
#include "SysUtils.h"
#include "TestFiles.h"
#include "Unit1.h"

namespace main_window_testing {

using testing_pictures::Bytes;
using testing_pictures::rows;

// What the engine makes of a source picture with the given inks and slider
// positions, computed here without the window. As in the window, the map is
// made only for a local term.
struct Conversion {
    TPicture source, map, result;
};

inline Conversion convert(const TPicture& picture, const InkTable& inks, int a, int b, int c, bool stretched = false) {
    Conversion out;
    out.source.Assign(picture.Image());
    out.source.SetPixelFormat(TPixelFormat::pf24bit);
    if (stretched)
        Stretch_Palette(&out.source);
    if (c != 0)
        Local_Contrast_Map(out.source, out.map);
    CPC_Mode1_Dither(out.source, out.result, out.map, inks, a, b, c);
    return out;
}

inline InkTable defaultInks() {
    InkTable inks;
    Reset_Ink_Table(inks);
    return inks;
}

inline bool fileExists(const std::string& path) {
    return QFile::exists(QString::fromStdString(path));
}

// The main window with the real colour dialog, its file dialogs answered by
// the test, its messages recorded.
class MainWindowCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previousColourDialog = std::exchange(F_ColorSelect, &colourDialog);
        previousFileDriver = SetFileDialogDriver([this](TFileDialogRequest& request) {
            requests.push_back(request);
            if (filterChoice)
                request.filterIndex = *std::exchange(filterChoice, std::nullopt);
            std::optional<std::string> answer;
            if (answers.empty())
                ADD_FAILURE() << "a file dialog the test did not expect: " << request.title;
            else {
                answer = answers.front();
                answers.pop_front();
            }
            request.selectedFiles = std::exchange(selectedFiles, {});
            return answer;
        });
        previousModalDriver = SetModalDriver([this](TForm& shown) {
            if (&shown != &colourDialog || !colourSteps)
                ADD_FAILURE() << "a modal window the test did not expect";
            else
                colourSteps(colourDialog);
        });
        previousSink = SetMessageSink([this](const std::string& text) { messages.push_back(text); });
        previousQuestion = SetSaveChangesDriver([this](const std::string& question) {
            questions.push_back(question);
            if (saveAnswers.empty())
                return TSaveChangesAnswer::Discard;
            const TSaveChangesAnswer answer = saveAnswers.front();
            saveAnswers.pop_front();
            return answer;
        });
        // However slow the machine, an ink search shows no progress window
        // unless the test asks for one.
        form.InkSearchProgressDelay = 600000;
        form.Show();
    }

    void TearDown() override {
        SetFileWriteLimitForTesting(-1);
        form.Close();
        SetSaveChangesDriver(previousQuestion);
        SetMessageSink(previousSink);
        SetModalDriver(previousModalDriver);
        SetFileDialogDriver(previousFileDriver);
        F_ColorSelect = previousColourDialog;
    }

    std::string path(const std::string& name) const { return folder.filePath(QString::fromStdString(name)).toStdString(); }

    // Writes the landscape test picture (or another) as a BMP file.
    std::string writePicture(const std::string& name, const TPicture& picture) {
        const std::string file = path(name);
        picture.SaveToFile(file);
        return file;
    }
    std::string writeLandscape(const std::string& name, int width = 320, int height = 200) {
        return writePicture(name, testing_pictures::landscape(width, height));
    }

    void load(const std::string& file) {
        answers.push_back(file);
        form.SpeedButton1->click();
        EXPECT_TRUE(answers.empty()) << "the load button runs the open dialog";
    }
    // Saves under a typed name, with the save dialog's filter entry
    // filter selected, if given.
    void save(const std::string& file, std::optional<int> filter = std::nullopt) {
        answers.push_back(file);
        filterChoice = filter;
        form.SpeedButton5->click();
        EXPECT_TRUE(answers.empty()) << "the save button runs the save dialog";
    }

    // The other ways in: a file named at start-up, a file dropped on the
    // window, a key sequence typed into the window.
    void openAtStartUp(const std::string& file) {
        form.OpenWhenShown(file);
        QTest::qWait(0);
    }
    void drop(const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        const QPoint middle(form.width() / 2, form.height() / 2);
        QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &dropped);
    }
    void type(const QKeySequence& keys) {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QTest::keySequence(&form, keys);
    }

    // Works the colour dialog of one ink: the steps run inside its modal loop.
    void inkDialog(TButton* setButton, std::function<void(TF_ColorSelect&)> steps) {
        colourSteps = std::move(steps);
        setButton->click();
        colourSteps = nullptr;
        EXPECT_FALSE(colourDialog.isVisible());
    }
    void chooseColour(TButton* setButton, int number) {
        inkDialog(setButton, [number](TF_ColorSelect& d) {
            QTest::mouseClick(d.Swatch(number), Qt::LeftButton);
            QTest::mouseClick(d.Button2, Qt::LeftButton);
        });
    }

    void clickStretch() { QTest::mouseClick(form.Image4, Qt::LeftButton); }
    bool stretchBevelsLowered() const {
        return form.Panel2->GetBevelInner() == TPanel::bvLowered && form.Panel2->GetBevelOuter() == TPanel::bvLowered;
    }
    bool stretchBevelsRaised() const {
        return form.Panel2->GetBevelInner() == TPanel::bvRaised && form.Panel2->GetBevelOuter() == TPanel::bvRaised;
    }

    // The window's pictures once the render its last change asked for has run.
    Bytes source() {
        form.FlushRender();
        return rows(form.Image1->GetPicture());
    }
    Bytes map() {
        form.FlushRender();
        return rows(form.Image7->GetPicture());
    }
    Bytes result() {
        form.FlushRender();
        return rows(form.Image2->GetPicture());
    }
    QSize view() const { return form.Image2->size(); }

    QTemporaryDir folder;
    TF_ColorSelect colourDialog;
    TForm1 form;
    std::deque<std::optional<std::string>> answers;
    // The filter entry the next file dialog's user selects, if any.
    std::optional<int> filterChoice;
    // The files the next file dialog's user selects together, if any.
    std::vector<std::string> selectedFiles;
    std::vector<TFileDialogRequest> requests;
    std::function<void(TF_ColorSelect&)> colourSteps;
    std::vector<std::string> messages;
    // The answers to "Save changes to NAME before closing it?", in turn
    // (Discard once they run out), and the questions asked.
    std::deque<TSaveChangesAnswer> saveAnswers;
    std::vector<std::string> questions;

  private:
    TSaveChangesDriver previousQuestion;
    TF_ColorSelect* previousColourDialog = nullptr;
    TFileDialogDriver previousFileDriver;
    TModalDriver previousModalDriver;
    TMessageSink previousSink;
};

} // namespace main_window_testing
