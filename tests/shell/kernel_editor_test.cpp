// The 3 x 3 kernel editors of the Optimize page (prefilter) and the Stack page (stack filter):
// presets, edited weights and the one kernel store both write; the next stack uses the kernel.

#include <QComboBox>
#include <QPushButton>

#include "enhance/kernel_presets.h"
#include "frames/pixel_helpers.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "stack_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// The user picks `name` from the chooser.
void choosePreset(QComboBox& chooser, const char* name) {
    const int item = chooser.findText(name);
    ASSERT_GE(item, 0) << name;
    chooser.setCurrentIndex(item);
    emit chooser.activated(item);
}

// The user ticks the box.
void tick(TPCheck& box) {
    box.setChecked(true);
    emit box.OnClick(&box);
}

std::array<int, 9> shownWeights(const KernelEditor& editor) {
    std::array<int, 9> weights{};
    for (std::size_t i = 0; i < 9; ++i) weights[i] = static_cast<int>(editor.weights[i]->Value());
    return weights;
}

}  // namespace

TEST_F(ShellWindowTest, BothKernelEditorsWriteTheOneKernelStore) {
    OptimizePage& optimize = *pieces(*form).optimizePage;
    StackPage& stack = *pieces(*form).stackPage;
    const TKernel3x3& kernel = context.pipeline.state().Kernel3x3;
    EXPECT_EQ(kernel, DefaultKernel3x3);

    // A preset shows its weights and divides by their sum, not by the divisor stored with it.
    choosePreset(*control<QComboBox>(optimize, "Filtertype"), "Flat");
    EXPECT_EQ(kernel, (TKernel3x3{9, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    choosePreset(*control<QComboBox>(optimize, "Filtertype"), "laplaceedge");
    EXPECT_EQ(kernel, (TKernel3x3{1, -1, -1, -1, -1, 8, -1, -1, -1, -1}));
    EXPECT_EQ(shownWeights(optimize.prefilter()), (std::array<int, 9>{-1, -1, -1, -1, 8, -1, -1, -1, -1}));
    EXPECT_EQ(control<TRxSpinEdit>(optimize, "prefilter22")->Value(), 8);

    // An edited weight takes effect with "Set": row 1, column 3 is element 3.
    control<TRxSpinEdit>(optimize, "prefilter13")->setValue(3);
    EXPECT_EQ(kernel[3], -1) << "not before Set";
    control<QPushButton>(optimize, "SetPrefilter")->click();
    EXPECT_EQ(kernel, (TKernel3x3{4, -1, -1, 3, -1, 8, -1, -1, -1, -1}));

    // The stack filter's editor replaces the prefilter's kernel.
    choosePreset(*control<QComboBox>(stack, "Stackfiltermethod"), "lowpass4");
    EXPECT_EQ(kernel, (TKernel3x3{5, 0, 1, 0, 1, 1, 1, 0, 1, 0}));
    EXPECT_EQ(pieces(*form).stack->readStackOptions().Kernel3x3, kernel);
    EXPECT_EQ(control<TRxSpinEdit>(optimize, "prefilter13")->Value(), 3) << "the other editor's weights stay";

    // "Active" takes the kernel from its own editor's weights.
    tick(*control<TPCheck>(optimize, "Filteralignment"));
    EXPECT_TRUE(control<TPCheck>(optimize, "Filteralignment")->Checked());
    EXPECT_EQ(kernel, (TKernel3x3{4, -1, -1, 3, -1, 8, -1, -1, -1, -1}));
    tick(*control<TPCheck>(stack, "Stackfilterset"));
    EXPECT_EQ(kernel, (TKernel3x3{5, 0, 1, 0, 1, 1, 1, 0, 1, 0}));

    // "Reset" gives nine 1s, the start-up kernel.
    control<QPushButton>(stack, "Stackfilterresetbutton")->click();
    EXPECT_EQ(kernel, DefaultKernel3x3);
    EXPECT_EQ(shownWeights(stack.stackFilter()), (std::array<int, 9>{1, 1, 1, 1, 1, 1, 1, 1, 1}));

    // The spins hold the weights within their bound.
    EXPECT_EQ(control<TRxSpinEdit>(stack, "Stackfilter22")->MaxValue(), KernelWeightLimit);
}

TEST_F(StackPageTest, TheStackFilterUsesTheKernelAsLastEdited) {
    // A textured recording whose frames all lie on one another.
    frames.frames.assign(Count, makePlane(Width, Height, [](int x, int y) {
                             return static_cast<float>((x * 37 + y * 11 + x * y) % 180 + 30);
                         }));
    Bitmap24 frame(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const auto v = static_cast<std::uint8_t>(frames.frames[0][x][y]);
            SetRGBTriple(v, v, v, frame.pixel(x, y));
        }
    const auto expectStackFiltered = [&](const TKernel3x3& kernel) {
        Bitmap24 filtered = frame;
        Convolve3x3(kernel, filtered, false);
        const QImage shown = shownPicture();
        ASSERT_EQ(shown.size(), QSize(Width, Height));
        int differing = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                differing += std::abs(qGreen(shown.pixel(x, y)) - filtered.pixel(x, y)[1]) > 1;
        EXPECT_EQ(differing, 0);
    };

    StackPage& page = *pieces(*form).stackPage;
    tick(*control<TPCheck>(page, "Stackfilterset"));
    choosePreset(*control<QComboBox>(page, "Stackfiltermethod"), "laplace");
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    expectStackFiltered(KernelPresets[6]);

    // An edit of the other editor is what the next stack uses.
    OptimizePage& optimize = *pieces(*form).optimizePage;
    control<TRxSpinEdit>(optimize, "prefilter22")->setValue(-4);
    control<QPushButton>(optimize, "SetPrefilter")->click();
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    expectStackFiltered(TKernel3x3{4, 1, 1, 1, 1, -4, 1, 1, 1, 1});
}

}  // namespace kestrave::test
