// The whole batch run, as a user's command line starts it ("rec.ser -NF250 -AStif -EX"): input,
// reference, alignment, frame limit, optimize and stack, processing and the save. The program
// runs as a child process at one thread and at every thread (KESTRAVE_THREADS) on synthesised
// recordings of three sizes, with the alignment box of a fresh start (32 pixels) and larger ones
// set through the settings file. Each case runs three times (see batch_runs.h).

#include "batch_runs.h"

#ifdef KESTRAVE_PROGRAM

namespace {

using namespace kestrave::bench;

const bool registered = [] {
    const int all = allThreads();
    for (const RecordingSize& size : recordingSizes())
        for (int box : size.boxes)
            for (int threads : {1, all})
                benchmark::RegisterBenchmark(("BatchRun/" + recordingName(size) + "/box:" +
                                              std::to_string(box) + "/threads:" + std::to_string(threads))
                                                 .c_str(),
                                             batchRun, size, box, threads, std::vector<std::string>{})
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime();
    return true;
}();

}  // namespace

#endif  // KESTRAVE_PROGRAM
