#pragma once
// A window whose input is a recording of frames held in memory, ranked and aligned as after the
// alignment pass, so that the Stack page's handlers can run on it.

#include <QImage>
#include <memory>

#include "shell/controllers/stack_controller.h"
#include "shell_test_support.h"
#include "stacking/stack_test_support.h"

namespace kestrave::test {

// Hands the reads on to frames the test keeps (the controller owns the sources it asks for).
class ForwardingSource : public FrameSource {
public:
    explicit ForwardingSource(FrameSource& frames) : frames_(frames) {}
    FrameSamples readFrame(int frame, FrameBuffers& into) override { return frames_.readFrame(frame, into); }
    int maxConcurrentReads() const override { return frames_.maxConcurrentReads(); }

private:
    FrameSource& frames_;
};

struct StackPageTest : ShellWindowTest {
    static constexpr int Width = 40;
    static constexpr int Height = 30;
    static constexpr int Count = 16;

    StackPageTest();

    // Every frame a flat grey of `level`.
    void fillFrames(float level);
    // Reading `frame` clicks the Cancel item (once the loop lets the click through); the test
    // scripts the answer to the question.
    void cancelOnRead(int frame);
    // The grey level of the stack picture shown at (x, y).
    int shownGrey(int x, int y) const;
    QImage shownPicture() const;

    MemoryFrameSource frames;
};

}  // namespace kestrave::test
