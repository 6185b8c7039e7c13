// Tintora: start-up. Builds every window the program will show, shows the
// main window and runs until it closes. Qt's own options (such as -platform)
// go to the Qt application; then --mode and --dither choose the screen mode
// and the dither as tintora-cli's options do, and a file named is loaded once
// the main window is shown, as the Load button loads it ("tintora FILE", and
// "Open with" in a file manager). The main window keeps its settings between
// runs (QSettings, "Tintora/tintora"); "tintora --reset" forgets them first,
// and a mode or dither on the command line wins over the kept one.
#include <exception>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSettings>

#include "About.h"
#include "Colorselect.h"
#include "Forms.h"
#include "StartOptions.h"
#include "SysUtils.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        Application->SetTitle("Tintora");
        // The program's icon, for the windows' title bars and the task bar.
        QIcon icon;
        for (const int size : {16, 32, 48, 256})
            icon.addFile(QStringLiteral(":/desktop/tintora-%1.png").arg(size));
        QApplication::setWindowIcon(icon);
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(F_ColorSelect);
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(QFile::decodeName(argv[i]).toStdString());
        const TStartOptions options = Parse_Start_Options(arguments);
        QSettings settings(QStringLiteral("Tintora"), QStringLiteral("tintora"));
        if (options.reset)
            settings.clear();
        Form1->UseSettings(&settings);
        Form1->SetScreenChoice(Start_Screen_Choice(options, Form1->ScreenChoice));
        if (!options.file.empty())
            Form1->OpenWhenShown(options.file);
        Application->Run();
    } catch (const std::exception& error) {
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception("An unknown error occurred."));
    }
    return 0;
}
