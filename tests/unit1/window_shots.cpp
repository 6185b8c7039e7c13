// Saves a picture of each window into the folder given as the first argument,
// for looking at the layouts: main.png (the main window as the program shows
// it) and colorselect.png (the colour dialog after a swatch click).
#include <string>

#include <QApplication>
#include <QDir>
#include <QTest>

#include "Colorselect.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 1;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    Application->Initialize(argc, argv);
    Application->CreateForm(Form1);
    Application->CreateForm(F_ColorSelect);

    Form1->Show();
    if (!QTest::qWaitForWindowExposed(Form1))
        return 1;
    QTest::qWait(200);
    Form1->grab().save(folder.filePath("main.png"));

    F_ColorSelect->Show();
    if (!QTest::qWaitForWindowExposed(F_ColorSelect))
        return 1;
    QTest::mouseClick(F_ColorSelect->Swatch(14), Qt::LeftButton);
    QTest::qWait(200);
    F_ColorSelect->grab().save(folder.filePath("colorselect.png"));

    Application->DestroyForms();
    return 0;
}
