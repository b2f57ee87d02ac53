// The "Use Debayer" switch and its one-time warning for 16-bit SER input.

#include <gtest/gtest.h>

#include "registration/debayer_switch.h"
#include "support/scripted_messages.h"

using namespace kestrave;

TEST(Reference, DebayerSwitchFollowsTheBoxAndSetsTheColourControls) {
    DebayerState state;
    test::ScriptedMessages messages;
    DebayerSwitchResult result = switchDebayer(state, true, false, messages);
    EXPECT_TRUE(state.DebayerEnabled);
    EXPECT_TRUE(result.checkColour);
    EXPECT_EQ(result.colourstackCaption, "Colour(debayered)");
    result = switchDebayer(state, false, false, messages);
    EXPECT_FALSE(state.DebayerEnabled);
    EXPECT_FALSE(result.checkColour);
    EXPECT_EQ(result.colourstackCaption, "Colour");
    EXPECT_TRUE(messages.shown.empty());
}

TEST(Reference, DebayerWarningFor16BitSerRepeatsUntilTheUserTicksTheBox) {
    DebayerState state;
    test::ScriptedMessages messages;
    switchDebayer(state, true, true, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& warning = messages.shown[0];
    EXPECT_EQ(warning.caption, "Debayer warning");
    EXPECT_EQ(warning.text, "Debayering 16 bit can only be done using a reduction to 8 bits");
    EXPECT_EQ(warning.dlgType, mtWarning);
    EXPECT_EQ(warning.buttons, mbOK);
    EXPECT_TRUE(warning.showCheckBox);
    EXPECT_EQ(warning.checkBoxCaption, "Do not repeat this message");
    EXPECT_TRUE(state.WarnDebayer16);

    messages.checkBox = true;
    switchDebayer(state, true, true, messages);
    EXPECT_FALSE(state.WarnDebayer16);
    switchDebayer(state, true, true, messages);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(state.DebayerEnabled);
}
