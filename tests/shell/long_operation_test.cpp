// Who may start a long operation while another one runs.

#include <gtest/gtest.h>

#include "shell/long_operation.h"

namespace kestrave {

using Pump = LongOperations::Pump;
using Kind = LongOperations::PumpKind;

TEST(LongOperationGuard, AClickDuringALoopIsRefusedACallFromCodeIsNot) {
    LongOperations operations;
    const LongOperation outer(operations);
    ASSERT_TRUE(outer);
    {
        const LongOperation calledByCode(operations);
        EXPECT_TRUE(calledByCode);
        const Pump poll(operations, Kind::Loop);
        const LongOperation clicked(operations);
        EXPECT_FALSE(clicked) << "started by the user while the inner loop polls";
    }
    const Pump poll(operations, Kind::Loop);
    const LongOperation clicked(operations);
    EXPECT_FALSE(clicked);
}

TEST(LongOperationGuard, CreatesContinueWaitLetsTheUserStartWorkButNotDuringThatWorksLoop) {
    LongOperations operations;
    const LongOperation create(operations);
    const Pump wait(operations, Kind::Wait);
    const LongOperation userWork(operations);
    EXPECT_TRUE(userWork);
    const Pump poll(operations, Kind::Loop);
    const LongOperation secondClick(operations);
    EXPECT_FALSE(secondClick);
}

TEST(LongOperationGuard, AfterTheCloseNothingStartsAndTheLastEndAsksTheWindowToClose) {
    LongOperations operations;
    int closes = 0;
    operations.onIdleWhileClosing = [&] { ++closes; };
    {
        const LongOperation outer(operations);
        {
            const LongOperation inner(operations);
            operations.closeWhenIdle();
            const LongOperation next(operations);
            EXPECT_FALSE(next) << "not even from code: the close has to come";
        }
        EXPECT_EQ(closes, 0) << "the outer loop still runs";
        EXPECT_TRUE(operations.running());
    }
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(operations.running());
}

TEST(LongOperationGuard, ARefusedStartLeavesNoTrace) {
    LongOperations operations;
    int closes = 0;
    operations.onIdleWhileClosing = [&] { ++closes; };
    {
        const LongOperation outer(operations);
        const Pump poll(operations, Kind::Loop);
        { const LongOperation refused(operations); }
        EXPECT_TRUE(operations.running());
        operations.closeWhenIdle();
        { const LongOperation refused(operations); }
        EXPECT_EQ(closes, 0);
    }
    EXPECT_EQ(closes, 1);
}

}  // namespace kestrave
