// The style of a stack: which inputs may be resampled, and what each style sets.

#include <gtest/gtest.h>

#include <vector>

#include "stacking/stack_style.h"

using namespace kestrave;

namespace {

struct Shown : MessagePort {
    std::vector<Message> messages;
    std::uint16_t show(const Message& message) override {
        messages.push_back(message);
        return mrOk;
    }
};

}  // namespace

TEST(StackStyle, ResamplingIsRefusedForEveryInputOfMoreThanEightBits) {
    struct Case {
        const char* input;
        void (*describe)(FrameModel&);
        FrameSamples aviSamples;
        bool refused;
    };
    const Case cases[] = {
        {"8-bit AVI", [](FrameModel&) {}, FrameSamples::Bitmap, false},
        {"high-bit AVI", [](FrameModel&) {}, FrameSamples::HighBit, true},
        {"BMP", [](FrameModel& m) { m.InputType = TInputType::itBMP; }, FrameSamples::HighBit, false},
        {"8-bit PNG", [](FrameModel& m) { m.InputIsPNG = true; }, FrameSamples::Bitmap, false},
        {"16-bit PNG", [](FrameModel& m) { m.InputIsPNG = m.InputPNG16 = true; }, FrameSamples::Bitmap, true},
        {"TIFF", [](FrameModel& m) { m.InputIsTIF = true; }, FrameSamples::Bitmap, true},
        {"FITS", [](FrameModel& m) { m.InputIsFIT = true; }, FrameSamples::Bitmap, true},
        {"SER", [](FrameModel& m) { m.InputIsSER = true; }, FrameSamples::Bitmap, true},
    };
    for (const Case& c : cases) {
        FrameModel model;
        c.describe(model);
        EXPECT_EQ(resamplingRefused(model, c.aviSamples), c.refused) << c.input;
    }
}

TEST(StackStyle, EachStyleSetsItsBoxesAndARefusedResamplingFallsBackToNone) {
    struct Case {
        StackStyle wanted;
        bool refused;
        StackStyle style;
        bool Resampled, Drizzling, FastStack, warned;
    };
    const Case cases[] = {
        {StackStyle::None, false, StackStyle::None, false, false, true, false},
        {StackStyle::Resampling, false, StackStyle::Resampling, true, false, false, false},
        {StackStyle::Resampling, true, StackStyle::None, false, false, true, true},
        {StackStyle::Drizzling, true, StackStyle::Drizzling, false, true, false, false},
        {static_cast<StackStyle>(-1), false, StackStyle::None, false, false, true, false},
    };
    for (const Case& c : cases) {
        Shown shown;
        const StackStyleChoice choice = chooseStackStyle(c.wanted, c.refused, shown);
        const int item = static_cast<int>(c.wanted);
        EXPECT_EQ(choice.style, c.style) << item;
        EXPECT_EQ(choice.Resampled, c.Resampled) << item;
        EXPECT_EQ(choice.Drizzling, c.Drizzling) << item;
        EXPECT_EQ(choice.FastStack, c.FastStack) << item;
        ASSERT_EQ(shown.messages.size(), c.warned ? 1u : 0u) << item;
        if (!c.warned) continue;
        EXPECT_EQ(shown.messages[0].caption, "Resampling warning");
        EXPECT_EQ(shown.messages[0].text,
                  " Resampling cannot be used with the following 16bit file formats "
                  "(FIT/TIFF/PNG/SER and 16bit AVI)");
        EXPECT_EQ(shown.messages[0].dlgType, mtWarning);
        EXPECT_EQ(shown.messages[0].buttons, mbOK);
    }
}
