// The per-input reset sets the engine up through its port.

#include <gtest/gtest.h>

#include "platform/progress_port.h"
#include "registration/fft_setup.h"

using namespace kestrave;

TEST(Fft, PerInputResetSizesTheEngineAndBuildsTheBandMask) {
    FrameModel model;
    ProgramState state;
    ImageDataSection section;
    NullProgress progress;
    FftEngine fft;
    FftEngineSetup setup(fft);
    initializesettings(model, state, section, ResetControls{false, 2, 7.5}, setup, progress);
    EXPECT_EQ(fft.FFTSize, 128);
    EXPECT_EQ(fft.FFTRe.cellCount(), 128u * 128u);
    EXPECT_EQ(fft.FFTBandMask[7][0], 1);
    EXPECT_EQ(fft.FFTBandMask[0][121], 1);
    EXPECT_EQ(fft.FFTBandMask[8][0], 0);
    EXPECT_NEAR(fft.TransferTable[64], 0.288, 1e-12);
}
