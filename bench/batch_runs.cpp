// The whole batch run as a child process (see batch_runs.h). The program runs at one thread and
// at every thread (KESTRAVE_THREADS); reported are the medians of the wall time, the frames per
// second, the child's context switches, and its peak resident memory and phases, which the
// program writes on standard error (KESTRAVE_PHASE_MARKS): start-up, alignment, optimizer,
// stacking, and the rest (processing, save and exit).
//
// The recordings take a while to synthesise, so they are written once into a cache folder of
// the build tree and read again by later runs. KESTRAVE_BENCH_PROGRAM names another build of the
// program to run instead of this tree's (to compare two builds on the same machine).

#include "batch_runs.h"

#ifdef KESTRAVE_PROGRAM

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "support/sample_recording.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kestrave::bench {

using namespace kestrave::test;

const std::array<RecordingSize, 3>& recordingSizes() {
    // Made on first use: the benchmarks register themselves while the program's statics are made.
    static const std::array<RecordingSize, 3> sizes{{
        {1000, 640, 480, 8, {32, 256}},
        {500, 1280, 960, 16, {32, 256, 512}},
        {200, 320, 240, 8, {32}},
    }};
    return sizes;
}

std::string recordingName(const RecordingSize& size) {
    return std::to_string(size.frames) + "x" + std::to_string(size.width) + "x" +
           std::to_string(size.height) + "x" + std::to_string(size.bits) + "bit";
}

// The recording of `size` in the cache folder, synthesised (under a temporary name, then renamed)
// when it is not there yet, and read once so that every run finds it in the page cache.
std::filesystem::path cachedRecording(const RecordingSize& size) {
    synth::SynthOptions options;
    options.frames = size.frames;
    options.width = size.width;
    options.height = size.height;
    options.bitsPerSample = size.bits;
    options.seed = 7;
    return cachedRecording(options, recordingName(size));
}

std::filesystem::path cachedRecording(const synth::SynthOptions& options, const std::string& name) {
    const std::filesystem::path folder = KESTRAVE_BENCH_CACHE;
    const std::filesystem::path file = folder / (name + ".ser");
    if (!std::filesystem::exists(file)) {
        std::filesystem::create_directories(folder);
        const std::string partial = file.filename().string() + ".partial";
        writeSampleRecording(folder, options, partial);
        std::filesystem::rename(folder / partial, file);
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
    }
    return file;
}

constexpr std::array<const char*, 5> Phases{"startup", "alignment", "optimizer", "stacking", "finish"};

struct ChildRun {
    int status = -1;
    double seconds = 0;
    double peakMegabytes = 0;
    double contextSwitches = 0;
    std::array<double, Phases.size()> phaseSeconds{};
};

// The phase marks on the child's standard error: each phase runs until the next one's mark (a
// missing mark gives the next phase no time), start-up from the start of the child, the last
// phase until the child ended. The child's peak memory is the one it writes at exit.
void readMarks(const std::filesystem::path& log, double start, double end, ChildRun& run) {
    std::map<std::string, double> marks;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word, name;
        double at = 0;
        if (words >> word >> name >> at && word == "phase") marks.emplace(name, at);
        std::istringstream peak(line);
        double kilobytes = 0;
        if (peak >> word >> kilobytes && word == "peak") run.peakMegabytes = kilobytes / 1024.0;
    }
    std::array<double, Phases.size() + 1> bounds{start};
    for (std::size_t p = 1; p < Phases.size(); ++p) {
        const auto mark = marks.find(Phases[p]);
        bounds[p] = mark != marks.end() ? mark->second : bounds[p - 1];
    }
    bounds[Phases.size()] = end;
    for (std::size_t p = 0; p < Phases.size(); ++p) run.phaseSeconds[p] = bounds[p + 1] - bounds[p];
}

double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the program with `arguments` and KESTRAVE_THREADS=threads, without a display.
ChildRun runProgram(const std::vector<std::string>& arguments, int threads,
                    const std::filesystem::path& home) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const auto replaced = {
            "DISPLAY=", "WAYLAND_DISPLAY=", "KESTRAVE_THREADS=", "KESTRAVE_HOME=", "KESTRAVE_PHASE_MARKS="};
        if (std::none_of(replaced.begin(), replaced.end(),
                         [&](const char* name) { return entry.starts_with(name); }))
            environment.push_back(entry);
    }
    environment.push_back("KESTRAVE_THREADS=" + std::to_string(threads));
    environment.push_back("KESTRAVE_HOME=" + home.string());
    environment.push_back("KESTRAVE_PHASE_MARKS=1");
    const char* program = std::getenv("KESTRAVE_BENCH_PROGRAM");
    std::vector<std::string> argv{program != nullptr ? program : KESTRAVE_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    };
    std::vector<char*> argvPointers = pointers(argv), environmentPointers = pointers(environment);

    const std::filesystem::path log = home / "stderr.txt";
    ChildRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const double start = monotonicSeconds();
    pid_t child = 0;
    if (posix_spawn(&child, argvPointers[0], &actions, nullptr, argvPointers.data(),
                    environmentPointers.data()) == 0) {
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        run.contextSwitches = static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
        const double end = monotonicSeconds();
        run.seconds = end - start;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        readMarks(log, start, end, run);
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void batchRun(benchmark::State& state, const RecordingSize& size, int box, int threads,
              const std::vector<std::string>& options) {
    const std::filesystem::path input = cachedRecording(size);
    // The user's settings: the alignment box size (item 0 is 32 pixels, item 3 256).
    const TempDir home;
    std::ofstream(home / "kestrave.ini", std::ios::binary)
        << "[Form]\r\nFFTsizeGroup_ItemIndex=" << std::countr_zero(static_cast<unsigned>(box)) - 5 << "\r\n";
    std::vector<std::string> arguments{input.string(), "-NF250"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"-AStif", "-EX"});
    constexpr int Runs = 3;
    for (auto _ : state) {
        std::vector<ChildRun> runs;
        for (int r = 0; r < Runs; ++r) {
            runs.push_back(runProgram(arguments, threads, home.path()));
            if (runs.back().status != 0) state.SkipWithError("the batch run failed");
        }
        const auto medianOf = [&](auto field) {
            std::vector<double> values;
            for (const ChildRun& run : runs) values.push_back(field(run));
            return median(values);
        };
        const double seconds = medianOf([](const ChildRun& run) { return run.seconds; });
        state.SetIterationTime(seconds);
        state.counters["fps"] = size.frames / seconds;
        state.counters["peak_MB"] = medianOf([](const ChildRun& run) { return run.peakMegabytes; });
        state.counters["switches"] = medianOf([](const ChildRun& run) { return run.contextSwitches; });
        for (std::size_t p = 0; p < Phases.size(); ++p)
            state.counters[std::string(Phases[p]) + "_ms"] =
                1000 * medianOf([p](const ChildRun& run) { return run.phaseSeconds[p]; });
    }
}

int allThreads() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::filesystem::path batchResult(const std::filesystem::path& input, const std::vector<std::string>& options,
                                  const std::filesystem::path& folder) {
    const std::filesystem::path linked = folder / input.filename();
    std::error_code ignored;
    std::filesystem::remove(linked, ignored);
    std::filesystem::create_symlink(input, linked);
    std::vector<std::string> arguments{linked.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"-ASpng", "-EX"});
    const std::filesystem::path result = std::filesystem::path(linked).replace_extension(".png");
    std::filesystem::remove(result, ignored);
    if (runProgram(arguments, allThreads(), folder).status != 0 || !std::filesystem::exists(result))
        return {};
    return result;
}

}  // namespace kestrave::bench

#endif  // KESTRAVE_PROGRAM
