#pragma once
// The whole batch run as a child process, for the batch benchmarks: the program started on a
// cached synthesised recording at a given thread count, its wall time, memory and phases.

// Built only with the program (not in a core-only tree).
#ifdef KESTRAVE_PROGRAM

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "synth/recording.h"

namespace kestrave::bench {

struct RecordingSize {
    int frames, width, height, bits;
    std::vector<int> boxes;
};

// The recordings of the batch benchmarks: 1000 x 640 x 480 8-bit, 500 x 1280 x 960 16-bit and
// 200 x 320 x 240 8-bit.
const std::array<RecordingSize, 3>& recordingSizes();

std::string recordingName(const RecordingSize& size);

// "rec.ser -NF250 <options> -AStif -EX" with the alignment box `box`, three times at `threads`
// threads; the medians are reported.
void batchRun(benchmark::State& state, const RecordingSize& size, int box, int threads,
              const std::vector<std::string>& options);

int allThreads();

// A synthesised recording named `name`, written once into the cache folder.
std::filesystem::path cachedRecording(const synth::SynthOptions& options, const std::string& name);

// "input <options> -ASpng -EX" at every thread, run on a link to the input in `folder` (also the
// settings folder): the saved result, or an empty path when the run failed.
std::filesystem::path batchResult(const std::filesystem::path& input, const std::vector<std::string>& options,
                                  const std::filesystem::path& folder);

}  // namespace kestrave::bench

#endif  // KESTRAVE_PROGRAM
