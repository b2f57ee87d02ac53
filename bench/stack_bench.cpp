// A whole stack of 500 frames of 640 x 480: reading (8-bit grey samples spread into the 24-bit
// preview, as the SER and Y800 readers do) overlapped with the accumulation, then normalising and
// rendering. First argument: threads (0 = all); second: 0 mono, 1 colour, 2 drizzled mono.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "frames/frame_source.h"
#include "stacking/stack_frames.h"
#include "support/thread_count_scope.h"

namespace {

using namespace kestrave;

constexpr int Width = 640, Height = 480, Frames = 500, Pool = 8;

class GreyFrames : public FrameSource {
public:
    GreyFrames() {
        unsigned seed = 3;
        for (auto& frame : pool_) {
            frame.resize(static_cast<std::size_t>(Width) * Height);
            for (auto& sample : frame) {
                seed = seed * 1103515245u + 12345u;
                sample = static_cast<std::uint8_t>(96 + ((seed >> 16) & 63));
            }
        }
    }
    FrameSamples readFrame(int frame, FrameBuffers& into) override {
        const std::vector<std::uint8_t>& samples = pool_[static_cast<std::size_t>(frame % Pool)];
        if (into.Preview.width() != Width || into.Preview.height() != Height)
            into.Preview.resize(Width, Height);
        for (int y = 0; y < Height; ++y) {
            const std::uint8_t* in = samples.data() + static_cast<std::size_t>(y) * Width;
            std::uint8_t* out = into.Preview.row(y);
            for (int x = 0; x < Width; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        }
        return FrameSamples::Bitmap;
    }
    int maxConcurrentReads() const override { return 4; }

private:
    std::vector<std::uint8_t> pool_[Pool];
};

void BM_Stack500Frames640x480(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const kestrave::test::ThreadCountScope scope(threads);
    auto model = std::make_unique<FrameModel>();
    model->FrameWidth = model->ImageWidth = Width;
    model->FrameHeight = model->ImageHeight = Height;
    model->FramesRanked = true;
    for (int i = 0; i < Frames; ++i) {
        model->FrameRanking[i].Frame = i;
        model->FrameTable[i].Slots[0] = {i % 7 - 3, i % 5 - 2, 1.0f, 1.0f};
        model->FrameTable[i].SubPixelX = 0.1f * (i % 9) - 0.4f;
    }
    ProgramState programState;
    ImageDataSection section;
    NullProgress progress;
    BatchMessagePresenter messages([](const std::string&) {});
    createImagePlanes(section, DefaultProcessAreaItem, progress, messages);
    StackOptions options;
    options.StackSlider = {Frames - 1, Frames - 1};
    options.Colourstack = state.range(1) == 1;
    options.Drizzling = options.Drizzle2 = state.range(1) == 2;
    GreyFrames frames;
    for (auto _ : state) {
        const StackResult result =
            stackFrames(*model, programState, section, options, frames, progress, messages);
        benchmark::DoNotOptimize(result.Stackimage.bits());
    }
    state.SetLabel(std::string(state.range(1) == 0   ? "mono"
                               : state.range(1) == 1 ? "colour"
                                                     : "drizzle") +
                   ", " + (threads > 0 ? std::to_string(threads) + " thread" : "all threads"));
    state.SetItemsProcessed(state.iterations() * Frames);
}
BENCHMARK(BM_Stack500Frames640x480)
    ->ArgsProduct({{1, 0}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
