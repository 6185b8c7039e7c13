// The photo-to-disc job as a user runs it: each command a process of its own,
// timed by the wall clock, one after another in the same run so their ratios
// hold on a busy machine. The commands are given as arguments, each
// "name=program arg arg ..." (spaces separate arguments); scripts/bench-cli
// builds the usual set: this build's converter, an earlier build's, and
// ImageMagick doing its version of the job.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs the command and waits for it; false when it could not run or failed.
bool runOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& part : command)
        argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (started != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Command(benchmark::State& state, const std::vector<std::string>& command) {
    for (auto _ : state)
        if (!runOnce(command)) {
            state.SkipWithError("the command failed");
            break;
        }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string given = argv[i];
        const std::size_t equals = given.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr,
                         "usage: cli_bench [benchmark options] name=program arg ... [name=...]\n");
            return 2;
        }
        std::vector<std::string> command;
        std::istringstream parts(given.substr(equals + 1));
        for (std::string part; parts >> part;)
            command.push_back(part);
        benchmark::RegisterBenchmark(("BM_" + given.substr(0, equals)).c_str(), BM_Command, command)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
