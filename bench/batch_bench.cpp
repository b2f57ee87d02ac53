// The whole batch run, as a user's command line starts it, on a synthesised 1000-frame 640 x 480
// 8-bit SER recording: input, reference, alignment, frame limit, optimize and stack, and the save
// of a 16-bit PNG. The program runs as a child process at one thread and at every thread
// (KESTRAVE_THREADS), with the alignment box of a fresh start (32 pixels) and with a 256-pixel
// box; reported are the wall time, the frames per second and the child's peak resident memory.

// Built only with the program (not in a core-only tree).
#ifdef KESTRAVE_PROGRAM

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sample_recording.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using namespace kestrave;
using namespace kestrave::test;

constexpr int Frames = 1000;

// The recording, written once per benchmark program into a temporary folder.
struct Recording {
    TempDir folder;
    std::filesystem::path file;
    Recording() {
        synth::SynthOptions options;
        options.width = 640;
        options.height = 480;
        options.frames = Frames;
        options.seed = 7;
        file = writeSampleRecording(folder.path(), options, "bench.ser").path;
    }
};

const Recording& recording() {
    static const Recording written;
    return written;
}

struct ChildRun {
    int status = -1;
    double seconds = 0;
    double peakMegabytes = 0;
};

// Runs the program with `arguments` and KESTRAVE_THREADS=threads, without a display.
ChildRun runProgram(const std::vector<std::string>& arguments, int threads,
                    const std::filesystem::path& home) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const auto replaced = {"DISPLAY=", "WAYLAND_DISPLAY=", "KESTRAVE_THREADS=", "KESTRAVE_HOME="};
        if (std::none_of(replaced.begin(), replaced.end(),
                         [&](const char* name) { return entry.starts_with(name); }))
            environment.push_back(entry);
    }
    environment.push_back("KESTRAVE_THREADS=" + std::to_string(threads));
    environment.push_back("KESTRAVE_HOME=" + home.string());
    std::vector<std::string> argv{KESTRAVE_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    };
    std::vector<char*> argvPointers = pointers(argv), environmentPointers = pointers(environment);

    ChildRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argvPointers[0], &actions, nullptr, argvPointers.data(),
                    environmentPointers.data()) == 0) {
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void BM_BatchRun(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const int box = static_cast<int>(state.range(1));
    const Recording& input = recording();
    // The user's settings: the alignment box size (item 0 is 32 pixels, item 3 256).
    const TempDir home;
    std::ofstream(home / "kestrave.ini", std::ios::binary)
        << "[Form]\r\nFFTsizeGroup_ItemIndex=" << std::countr_zero(static_cast<unsigned>(box)) - 5 << "\r\n";
    const std::vector<std::string> arguments{input.file.string(), "-XP320", "-YP240", "-ASpng", "-EX"};
    ChildRun run;
    for (auto _ : state) {
        run = runProgram(arguments, threads, home.path());
        if (run.status != 0) state.SkipWithError("the batch run failed");
        state.SetIterationTime(run.seconds);
    }
    state.counters["frames_per_second"] = Frames / run.seconds;
    state.counters["peak_MB"] = run.peakMegabytes;
}

void runArguments(benchmark::internal::Benchmark* b) {
    const int all = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int box : {32, 256})
        for (int threads : {1, all}) b->Args({threads, box});
}

BENCHMARK(BM_BatchRun)
    ->Apply(runArguments)
    ->ArgNames({"threads", "box"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseManualTime();

}  // namespace

#endif  // KESTRAVE_PROGRAM
