#include <QCoreApplication>
#include <iostream>

#include "CliOptions.h"
#include "SysUtils.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // The engine's message box has no window here: it goes to standard error,
    // named as every message of the converter is.
    SetMessageSink([](const std::string& text) { std::cerr << "tintora-cli: " << text << '\n'; });
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return Run_Cli(arguments, std::cout, std::cerr);
}
