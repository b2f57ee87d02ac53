#pragma once
// In-memory frames and a ready frame model for the stacking tests.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "stacking/stack_frames.h"
#include "support/memory_frame_source.h"

namespace kestrave::test {

// A plane filled by value(x, y).
inline T2dArrays makePlane(int w, int h, const std::function<float(int, int)>& value) {
    T2dArrays plane(h, w);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) plane[x][y] = value(x, y);
    return plane;
}

// A recording of `count` frames of w x h in index order: every frame ranked at its own index,
// slot-0 difference 1 and brightness 1, no shift.
struct StackBench {
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    ProgramState state;
    ImageDataSection section;
    StackOptions options;
    MemoryFrameSource source;
    NullProgress progress;
    BatchMessagePresenter messages{[](const std::string&) {}};

    StackBench(int w, int h, int count) {
        model->FrameWidth = model->FrameWidthRaw = model->ImageWidth = w;
        model->FrameHeight = model->FrameHeightRaw = model->ImageHeight = h;
        model->FramesRanked = true;
        for (int i = 0; i < count; ++i) {
            model->FrameRanking[i].Frame = i;
            model->FrameTable[i].Slots[0].Difference = 1.0f;
            model->FrameTable[i].Slots[0].Brightness = 1.0f;
        }
        options.StackSlider = {count - 1, count - 1};
        createImagePlanes(section, DefaultProcessAreaItem, progress, messages);
    }

    StackResult stack() { return stackFrames(*model, state, section, options, source, progress, messages); }
};

// Seeded Gaussian noise.
inline std::function<float()> gaussian(double sigma, unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    auto normal = std::make_shared<std::normal_distribution<double>>(0.0, sigma);
    return [engine, normal] { return static_cast<float>((*normal)(*engine)); };
}

// Bit-identical planes over their whole extent.
inline bool samePlane(const T2dArrays& a, const T2dArrays& b) {
    return a.xCount() == b.xCount() && a.yCount() == b.yCount() &&
           std::equal(a.data(), a.data() + a.cellCount(), b.data(),
                      [](float p, float q) { return std::memcmp(&p, &q, sizeof p) == 0; });
}

}  // namespace kestrave::test
