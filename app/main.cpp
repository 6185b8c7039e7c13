// Tintora: start-up. Builds every window the program will show, shows the
// main window and runs until it closes. Qt's own options (such as -platform)
// go to the Qt application; then --mode and --dither choose the screen mode
// and the dither as tintora-cli's options do, and a file named is loaded once
// the main window is shown, as the Load button loads it ("tintora FILE", and
// "Open with" in a file manager). The main window keeps its settings between
// runs (QSettings, "Tintora/tintora"); "tintora --reset" forgets them first,
// and a mode or dither on the command line wins over the kept one.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
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

namespace {
// The exit status of a command line the program does not understand.
constexpr int kUsageError = 2;
} // namespace

int main(int argc, char** argv) {
    // Help, version and an unknown long option are answered before Qt
    // starts, so they need no display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (Unknown_Long_Option(argument)) {
            std::cerr << "tintora: unknown option " << argument << "\n" << Start_Usage();
            return kUsageError;
        }
        if (argument == "--help" || argument == "-h") {
            std::cout << Start_Usage();
            return 0;
        }
        if (argument == "--version") {
            std::cout << "tintora " TINTORA_VERSION "\n";
            return 0;
        }
    }
    try {
        Application->Initialize(argc, argv);
        // A malformed command line opens no window: the error and the usage go
        // to the terminal, as a command's do.
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(QFile::decodeName(argv[i]).toStdString());
        TStartOptions options;
        try {
            options = Parse_Start_Options(arguments);
        } catch (const Exception& error) {
            std::cerr << "tintora: " << error.what() << "\n" << Start_Usage();
            Application->Finish();
            return kUsageError;
        }
        Application->SetTitle("Tintora");
        // The program's icon, for the windows' title bars and the task bar.
        QIcon icon;
        for (const int size : {16, 32, 48, 256})
            icon.addFile(QStringLiteral(":/desktop/tintora-%1.png").arg(size));
        QApplication::setWindowIcon(icon);
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(F_ColorSelect);
        QSettings settings(QStringLiteral("Tintora"), QStringLiteral("tintora"));
        if (options.reset) {
            settings.clear();
            // The file dialogs' own history (recent folders, sizes) is Qt's.
            QSettings(QSettings::UserScope, QStringLiteral("QtProject")).remove(QStringLiteral("FileDialog"));
        }
        Form1->UseSettings(&settings);
        if (options.modeGiven)
            Form1->SetScreenMode(options.choice.mode);
        if (options.ditherGiven)
            Form1->ChooseDither(options.choice.dither);
        if (options.screenGiven)
            Form1->SetScreenChoice(
                TScreenChoice{Form1->ScreenChoice.mode, Form1->ScreenChoice.dither, options.choice.screen});
        if (options.palette)
            Form1->SetPalette(*options.palette);
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
