// The frame browser's label and chart title texts.

#include <gtest/gtest.h>

#include "shell/controllers/frame_texts.h"

namespace kestrave {

TEST(FrameTexts, LabelsCountFromOneAndQualitiesKeepTheirDigits) {
    EXPECT_EQ(frameLabelText(6, 2, 99), "Frame (7): 3/100");
    EXPECT_EQ(frameLabelWithStackSize(6, 2, 99, 41), "Frame (7): 3/100 (stacksize 41)");
    EXPECT_EQ(noFramesLabelText(0, 9), "Frame : 1/10");
    EXPECT_EQ(allFramesLabelText(0, 9, 9), "Frame : 1/10 ( selected = 9) ");
    EXPECT_EQ(referenceFrameLabelText(6, 3, 99, 79.96),
              "Frame (7) :  (stacksize 3 / 100) [Low quality 80.0 %]");
    EXPECT_EQ(referenceFrameLabelText(0, 1, 0, 99.90009990),
              "Frame (1) :  (stacksize 1 / 1) [Low quality 99.9 %]");
    EXPECT_EQ(qualityTitleText(0, 0.0), "Frame 1 Quality =0.00000");
    EXPECT_EQ(qualityTitleText(4, 1.2345678), "Frame 5 Quality =1.23457");
    // Seven significant digits: the decimals beyond them are written as 0.
    EXPECT_EQ(qualityTitleText(4, 12345.678), "Frame 5 Quality =12345.68000");
}

}  // namespace kestrave
