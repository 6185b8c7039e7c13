// Saves pictures of the windows into the folder given as the first argument,
// for looking at the layouts and the working cycle: main.png (the main window
// as the program shows it), colorselect.png (the colour dialog after a swatch
// click), then the main window after loading a landscape test picture
// (work_zoom1.png, work_zoom3.png, work_stretch.png, work_inks.png, and
// work_auto.png with inks chosen automatically, whose progress window is
// inksearch.png; the picture itself is landscape.bmp). The file and colour dialogs are answered
// through the toolkit's seams, the buttons are clicked as the user would.
#include <optional>
#include <string>

#include <QApplication>
#include <QDir>
#include <QTest>

#include "Colorselect.h"
#include "Dialogs.h"
#include "LandscapePicture.h"
#include "SysUtils.h"
#include "Unit1.h"

namespace {

void settleAndSave(QWidget* window, const QDir& folder, const char* name) {
    QTest::qWait(150);
    window->grab().save(folder.filePath(QString::fromLatin1(name)));
}

// Chooses colour number for one ink through the real colour dialog.
void chooseInk(TButton* setButton, int number) {
    const TModalDriver previous = SetModalDriver([number](TForm&) {
        QTest::mouseClick(F_ColorSelect->Swatch(number), Qt::LeftButton);
        QTest::mouseClick(F_ColorSelect->Button2, Qt::LeftButton);
    });
    setButton->click();
    SetModalDriver(previous);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 1;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    Application->Initialize(argc, argv);
    Application->CreateForm(Form1);
    Application->CreateForm(F_ColorSelect);
    // A message box here would wait for a click: print it instead.
    SetMessageSink([](const std::string& text) { qWarning("message: %s", text.c_str()); });

    Form1->Show();
    if (!QTest::qWaitForWindowExposed(Form1))
        return 1;
    settleAndSave(Form1, folder, "main.png");

    F_ColorSelect->Show();
    if (!QTest::qWaitForWindowExposed(F_ColorSelect))
        return 1;
    QTest::mouseClick(F_ColorSelect->Swatch(14), Qt::LeftButton);
    settleAndSave(F_ColorSelect, folder, "colorselect.png");
    F_ColorSelect->Close();

    const std::string picture = folder.filePath(QStringLiteral("landscape.bmp")).toStdString();
    testing_pictures::landscape().SaveToFile(picture);
    SetFileDialogDriver([&](const TFileDialogRequest&) { return std::optional<std::string>(picture); });
    Form1->SpeedButton1->click();
    settleAndSave(Form1, folder, "work_zoom1.png");

    Form1->SpeedButton2->click();
    Form1->SpeedButton2->click();
    settleAndSave(Form1, folder, "work_zoom3.png");
    Form1->SpeedButton3->click();
    Form1->SpeedButton3->click();

    QTest::mouseClick(Form1->Image4, Qt::LeftButton);
    settleAndSave(Form1, folder, "work_stretch.png");
    QTest::mouseClick(Form1->Image4, Qt::LeftButton);

    // Inks for a landscape: dark blue, green, orange, pastel yellow.
    chooseInk(Form1->Button2, 1);
    chooseInk(Form1->Button3, 9);
    chooseInk(Form1->Button4, 15);
    chooseInk(Form1->Button5, 25);
    settleAndSave(Form1, folder, "work_inks.png");

    // The automatic choice: its progress window shown at once, then the result.
    Form1->InkSearchProgressDelay = 0;
    SetModalDriver([&](TForm& shown) { shown.grab().save(folder.filePath(QStringLiteral("inksearch.png"))); });
    Form1->ChooseInksClick(Form1);
    SetModalDriver(nullptr);
    settleAndSave(Form1, folder, "work_auto.png");

    SetFileDialogDriver(nullptr);
    Application->DestroyForms();
    return 0;
}
