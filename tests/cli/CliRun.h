#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "CliOptions.h"

// One run of the command line in this process: its exit status and what it
// printed on each stream.
struct CliRun {
    int status;
    std::string out, err;
};

inline CliRun run(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = Run_Cli(arguments, out, err);
    return {status, out.str(), err.str()};
}
