// Tintora: start-up. Builds every window the program will show, shows the
// main window and runs until it closes. Qt's own options (such as -platform)
// go to the Qt application; a file named after them is loaded once the main
// window is shown, as the Load button loads it ("tintora FILE", and "Open
// with" in a file manager). The main window keeps its settings between runs
// (QSettings, "Tintora/tintora"); "tintora --reset" forgets them first.
#include <exception>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSettings>
#include <string>

#include "About.h"
#include "Colorselect.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        Application->SetTitle("Tintora (CPC mode 1)");
        // The program's icon, for the windows' title bars and the task bar.
        QIcon icon;
        for (const int size : {16, 32, 48, 256})
            icon.addFile(QStringLiteral(":/desktop/tintora-%1.png").arg(size));
        QApplication::setWindowIcon(icon);
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(F_ColorSelect);
        std::string fileName;
        bool reset = false;
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == "--reset")
                reset = true;
            else if (fileName.empty())
                fileName = QFile::decodeName(argv[i]).toStdString();
        }
        QSettings settings(QStringLiteral("Tintora"), QStringLiteral("tintora"));
        if (reset)
            settings.clear();
        Form1->UseSettings(&settings);
        if (!fileName.empty())
            Form1->OpenWhenShown(fileName);
        Application->Run();
    } catch (const std::exception& error) {
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception("An unknown error occurred."));
    }
    return 0;
}
