// The "Use Debayer" switch and its one-time warning for 16-bit SER input.

#include <gtest/gtest.h>

#include "registration/debayer_switch.h"

using namespace kestrave;

namespace {

// Answers every message with OK and the "do not repeat" box as the test sets it.
class TickingPort : public MessagePort {
public:
    std::uint16_t show(const Message& message) override {
        shown.push_back(message);
        setMessageBoxChecked(tick);
        return mrOk;
    }
    bool tick = false;
    std::vector<Message> shown;
};

}  // namespace

TEST(Reference, DebayerSwitchFollowsTheBoxAndSetsTheColourControls) {
    DebayerState state;
    TickingPort messages;
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
    TickingPort messages;
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

    messages.tick = true;
    switchDebayer(state, true, true, messages);
    EXPECT_FALSE(state.WarnDebayer16);
    switchDebayer(state, true, true, messages);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(state.DebayerEnabled);
}
