#include <QCoreApplication>
#include <iostream>
#include <malloc.h>

#include "CliOptions.h"
#include "SysUtils.h"

int main(int argc, char** argv) {
    // The ink search judges hundreds of results, each through working
    // pictures of a few hundred kilobytes: kept for reuse rather than given
    // back to the system and faulted in afresh every time (a tenth of the
    // search's time went to the kernel). Pictures of 4 MB and more are still
    // mapped and given back whole.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    QCoreApplication application(argc, argv);
    // The engine's message box has no window here: it goes to standard error,
    // named as every message of the converter is.
    SetMessageSink([](const std::string& text) { std::cerr << "tintora-cli: " << text << '\n'; });
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return Run_Cli(arguments, std::cout, std::cerr);
}
