// Tintora: start-up. Builds every window the program will show, shows the
// main window and runs until it closes. No command-line argument is read;
// only Qt's own options (such as -platform) reach the Qt application.
#include <exception>

#include "About.h"
#include "Colorselect.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        Application->SetTitle("Tintora (CPC mode 1)");
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(F_ColorSelect);
        Application->Run();
    } catch (const std::exception& error) {
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception("An unknown error occurred."));
    }
    return 0;
}
