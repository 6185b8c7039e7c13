// Saves pictures of the windows into the folder given as the first argument,
// for looking at the layouts and the working cycle: main.png (the main window
// as the program shows it), colorselect.png (the colour dialog after a swatch
// click), then the main window after loading a landscape test picture
// (work_zoom1.png, work_zoom3.png, work_stretch.png, work_inks.png, and
// work_auto.png with inks chosen automatically, whose progress window is
// inksearch.png; the picture itself is landscape.bmp), the progress of
// File > Export slideshow (slideshow.png) and its modes with the window
// manager's frame (desk_slideshow_modes.png, and at its smallest
// desk_slideshow_modes_smallest.png), the sprite export
// dialog over it (sprites.png, and sprites_refused.png with cells that do not
// fit). The file and colour dialogs are answered through the toolkit's seams,
// the buttons are clicked as the user would.
//
// Then pictures of the screen around a window, with the window manager's
// frame and whatever pops up over it: desk_menu.png (the View menu open),
// desk_menu_export.png, desk_menu_fit.png and desk_menu_inks.png (the File
// menu with Export for CPC, Picture with Fit to CPC screen, and Inks),
// desk_slider.png (a slider's value beside its thumb after Page Up),
// desk_colorselect.png (the colour dialog with a swatch's tool tip),
// desk_original.png (the original shown in the result's place),
// desk_message.png (an error naming a long path), desk_question.png (the
// question before changed work is closed), desk_menu_edit.png (Edit after a
// change), desk_focus.png (the focus on a slider, reached with Tab),
// desk_crop.png (the crop window dragged), desk_small.png (the window at its
// smallest size). With a BMP named as the
// second argument, desk_open.png shows it selected in the open dialog and
// desk_photo.png shows it converted. It also prints what the window manager
// does to the main window when the modal colour dialog is minimised.
#include <optional>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include "Colorselect.h"
#include "Compare.h"
#include "Dialogs.h"
#include "LandscapePicture.h"
#include "SlideshowModesDialog.h"
#include "SpriteExportDialog.h"
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

// The screen around a window's frame (and anything that pops up beside it),
// as the user sees it.
void grabScreenAround(const QWidget* window, const QRect& extra, const QDir& folder, const char* name) {
    QTest::qWait(400);
    const QRect area = (window->frameGeometry() | extra).adjusted(-8, -8, 8, 8);
    QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(folder.filePath(QString::fromLatin1(name)));
}

// The tool tip the pointer would raise resting on the control.
void showToolTipOf(QWidget* control) {
    QToolTip::showText(control->mapToGlobal(control->rect().bottomLeft() + QPoint(8, 4)), control->toolTip(),
                       control);
}

void loadThroughDialog(const std::string& picture) {
    SetFileDialogDriver([&](const TFileDialogRequest&) { return std::optional<std::string>(picture); });
    Form1->SpeedButton1->click();
    SetFileDialogDriver(nullptr);
}

// A menu of the menu bar open, and one of its submenus if given.
void shootMenu(QMenu* menu, QMenu* submenu, const QDir& folder, const char* name) {
    Form1->MainMenu->setActiveAction(menu->menuAction());
    QTest::qWait(300);
    QRect extra = menu->geometry();
    if (submenu) {
        menu->setActiveAction(submenu->menuAction());
        submenu->popup(menu->mapToGlobal(menu->actionGeometry(submenu->menuAction()).topRight()));
        QTest::qWait(300);
        extra |= submenu->geometry();
    }
    grabScreenAround(Form1, extra, folder, name);
    if (submenu)
        submenu->close();
    menu->close();
    Form1->MainMenu->setActiveAction(nullptr);
}

void takeDesktopShots(const QDir& folder, const char* photo) {
    Form1->activateWindow();
    shootMenu(Form1->menuView, nullptr, folder, "desk_menu.png");
    shootMenu(Form1->menuFile, Form1->menuExport, folder, "desk_menu_export.png");
    shootMenu(Form1->menuPicture, Form1->menuFit, folder, "desk_menu_fit.png");
    shootMenu(Form1->menuInks, nullptr, folder, "desk_menu_inks.png");

    Form1->TrackBar3->setFocus();
    QTest::keyClick(Form1->TrackBar3, Qt::Key_PageUp);
    QTest::keyClick(Form1->TrackBar3, Qt::Key_PageUp);
    QTest::qWait(100);
    grabScreenAround(Form1, QRect(), folder, "desk_slider.png");
    Form1->TrackBar3->SetPosition(0);
    QToolTip::hideText();

    const TModalDriver previous = SetModalDriver([&](TForm&) {
        QTest::mouseClick(F_ColorSelect->Swatch(14), Qt::LeftButton);
        if (!QTest::qWaitForWindowActive(F_ColorSelect))
            qWarning("the colour dialog did not become active");
        QTest::qWait(400);
        showToolTipOf(F_ColorSelect->Swatch(14));
        grabScreenAround(F_ColorSelect, QRect(), folder, "desk_colorselect.png");
        QToolTip::hideText();
        // What the window manager does with a modal window minimised.
        F_ColorSelect->showMinimized();
        QTest::qWait(500);
        qWarning("minimising the colour dialog: the main window is %s",
                 Form1->isMinimized() ? "minimised with it" : "left shown");
        Form1->showNormal();
        F_ColorSelect->showNormal();
        QTest::qWait(300);
        F_ColorSelect->Button1->click();
    });
    Form1->Button5->click();
    SetModalDriver(previous);

    Form1->SpeedButton2->click();
    Form1->actionShowOriginal->trigger();
    grabScreenAround(Form1, QRect(), folder, "desk_original.png");
    Form1->actionShowOriginal->trigger();
    Form1->SpeedButton3->click();

    // A message naming a file deep in folders, as the real message box shows it.
    InstallMessageBox();
    QTimer::singleShot(600, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            grabScreenAround(box, QRect(), folder, "desk_message.png");
            box->accept();
        }
    });
    loadThroughDialog(folder.filePath(QStringLiteral("a folder with a long name/another folder inside it/"
                                                      "and_a_picture_file_with_an_unusually_long_name.bmp"))
                          .toStdString());
    SetMessageSink([](const std::string& text) { qWarning("message: %s", text.c_str()); });

    SetSaveChangesDriver(nullptr);
    QTimer::singleShot(600, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            grabScreenAround(box, QRect(), folder, "desk_question.png");
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    AskSaveChanges("landscape.bmp");
    SetSaveChangesDriver([](const std::string&) { return TSaveChangesAnswer::Discard; });

    Form1->TrackBar3->SetPosition(120);
    shootMenu(Form1->menuEdit, nullptr, folder, "desk_menu_edit.png");
    Form1->activateWindow();
    if (!QTest::qWaitForWindowActive(Form1))
        qWarning("the main window did not become active");
    Form1->Button5->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::qWait(100);
    grabScreenAround(Form1, QRect(), folder, "desk_focus.png");

    Form1->actionFitCrop->trigger();
    Form1->SpeedButton2->click();
    QTest::mousePress(Form1->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    QTest::mouseMove(Form1->Image2, QPoint(200, 110));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 110), Form1->Image2->mapToGlobal(QPointF(200, 110)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form1->Image2, &move);
    grabScreenAround(Form1, QRect(), folder, "desk_crop.png");
    QTest::mouseRelease(Form1->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(200, 110));
    Form1->SpeedButton3->click();
    const QSize size = Form1->size();
    Form1->resize(Form1->minimumSize());
    grabScreenAround(Form1, QRect(), folder, "desk_small.png");
    Form1->resize(size);

    if (photo) {
        // The real open dialog, the photograph selected in it.
        QTimer::singleShot(1500, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                // Typed, as the file name box has the focus and a selection
                // made by the program would not reach it.
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    QTest::keyClicks(name, QFileInfo(QString::fromLocal8Bit(photo)).fileName());
                QTest::qWait(300);
                grabScreenAround(dialog, QRect(), folder, "desk_open.png");
                dialog->reject();
            }
        });
        Form1->OpenPictureDialog1.SetInitialDir(QFileInfo(QString::fromLocal8Bit(photo)).absolutePath().toStdString());
        Form1->OpenPictureDialog1.Execute();

        // Inks for a warm photograph: black, dark red, orange, pastel yellow.
        chooseInk(Form1->Button2, 0);
        chooseInk(Form1->Button3, 3);
        chooseInk(Form1->Button4, 15);
        chooseInk(Form1->Button5, 25);
        loadThroughDialog(photo);
        grabScreenAround(Form1, QRect(), folder, "desk_photo.png");
    }
}

// The window in each screen mode with inks chosen for it, the sixteen-ink
// palette, the colour dialog opened from ink #5, the Compare window and the
// green monitor: desk_mode0.png (and desk_mode0_smallest.png at the
// window's smallest size), desk_mode1.png, desk_mode2.png,
// palette16.png, desk_colorselect_ink5.png (after one press of Right),
// desk_compare.png, desk_green.png, desk_colour_monitor.png.
void takeModeShots(const QDir& folder, const std::string& picture) {
    Form1->SetFitMode(TFitMode::Crop);
    loadThroughDialog(picture);
    Form1->InkSearchProgressDelay = 60000;
    for (const int mode : {0, 2, 1}) {
        Form1->SetScreenChoice(TScreenChoice{mode, mode == 1 ? TDither::Ordered4 : TDither::Diffusion});
        Form1->ChooseInksClick(Form1);
        const QString name = QStringLiteral("desk_mode%1.png").arg(mode);
        grabScreenAround(Form1, QRect(), folder, name.toLatin1().constData());
        if (mode == 0) {
            // The smallest the window can be, with sixteen inks.
            const QSize before = Form1->size();
            Form1->resize(Form1->minimumSize());
            grabScreenAround(Form1, QRect(), folder, "desk_mode0_smallest.png");
            Form1->resize(before);
            QTest::qWait(100);
            Form1->GroupBox1->grab().save(folder.filePath(QStringLiteral("palette16.png")));
            const TModalDriver previous = SetModalDriver([&](TForm&) {
                if (!QTest::qWaitForWindowActive(F_ColorSelect))
                    qWarning("the colour dialog did not become active");
                QTest::keyClick(F_ColorSelect, Qt::Key_Right);
                grabScreenAround(F_ColorSelect, QRect(), folder, "desk_colorselect_ink5.png");
                F_ColorSelect->Button1->click();
            });
            QTest::mouseClick(Form1->InkSwatch5, Qt::LeftButton);
            SetModalDriver(previous);
        }
    }
    const TModalDriver previous = SetModalDriver([&](TForm& shown) {
        auto* compare = qobject_cast<TF_Compare*>(&shown);
        if (!compare)
            return;
        const bool allDone = QTest::qWaitFor([&] {
            for (int cell = 0; cell < compare->GetShownCellCount(); ++cell)
                if (!compare->IsCellDone(cell))
                    return false;
            return true;
        }, 120000);
        if (!allDone)
            qWarning("the Compare window did not finish in time");
        grabScreenAround(compare, QRect(), folder, "desk_compare.png");
        QTest::keyClick(compare, Qt::Key_Escape);
    });
    Form1->actionCompare->trigger();
    SetModalDriver(previous);

    Form1->SpeedButton2->click();
    Form1->SetMonitor(TMonitor::Green);
    grabScreenAround(Form1, QRect(), folder, "desk_green.png");
    Form1->SetMonitor(TMonitor::Colour);
    grabScreenAround(Form1, QRect(), folder, "desk_colour_monitor.png");
    Form1->SpeedButton3->click();
    // The border round each screen, in ink 0's colour made blue to tell it
    // from the desk.
    chooseInk(Form1->Button2, 1);
    grabScreenAround(Form1, QRect(), folder, "desk_monitor_border.png");
    Form1->actionFullScreen->trigger();
    grabScreenAround(Form1, QRect(), folder, "desk_monitor_border_full.png");
    Form1->actionUndo->trigger();
    Form1->SetMonitor(TMonitor::Plain);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 1;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    Application->Initialize(argc, argv);
    Application->SetTitle("Tintora (CPC mode 1)");
    Application->CreateForm(Form1);
    Application->CreateForm(F_ColorSelect);
    // A message box here would wait for a click: print it instead.
    SetMessageSink([](const std::string& text) { qWarning("message: %s", text.c_str()); });
    SetSaveChangesDriver([](const std::string&) { return TSaveChangesAnswer::Discard; });

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

    // The sprite dialog cutting the result into 32 x 40 cells, the first 37
    // kept, ink 0 transparent.
    SetModalDriver([&](TForm& shown) {
        auto& dialog = dynamic_cast<TSpriteExportDialog&>(shown);
        dialog.SpinWidth->SetValue(32);
        dialog.SpinHeight->SetValue(40);
        dialog.SpinCells->SetValue(37);
        dialog.ComboTransparent->setCurrentIndex(1);
        settleAndSave(&dialog, folder, "sprites.png");
        dialog.SpinHeight->SetValue(33);
        settleAndSave(&dialog, folder, "sprites_refused.png");
        dialog.ButtonCancel->click();
    });
    Form1->actionExportSprites->trigger();
    SetModalDriver(nullptr);

    // File > Export slideshow over two copies of the landscape: its progress
    // window, shown at once (slideshow.png).
    const std::string disc = folder.filePath(QStringLiteral("show.dsk")).toStdString();
    SetFileDialogDriver([&](TFileDialogRequest& request) {
        request.selectedFiles = {picture, picture};
        return std::optional<std::string>(request.kind == TFileDialogKind::Open ? picture : disc);
    });
    SetModalDriver([&](TForm& shown) {
        if (auto* modes = dynamic_cast<TSlideshowModesDialog*>(&shown)) {
            grabScreenAround(modes, {}, folder, "desk_slideshow_modes.png");
            modes->resize(modes->minimumSize());
            grabScreenAround(modes, {}, folder, "desk_slideshow_modes_smallest.png");
            modes->ButtonOk->click();
        } else
            shown.grab().save(folder.filePath(QStringLiteral("slideshow.png")));
    });
    Form1->actionExportSlideshow->trigger();
    SetModalDriver(nullptr);

    SetFileDialogDriver(nullptr);
    takeDesktopShots(folder, argc > 2 ? argv[2] : nullptr);
    takeModeShots(folder, argc > 2 ? std::string(argv[2]) : picture);
    Application->DestroyForms();
    return 0;
}
