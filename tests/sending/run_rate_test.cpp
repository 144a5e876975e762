// The pace of a run as the sending window and the command line show it: the time left counts
// the pauses still to come, none after the last message.
#include "sending/run_rate.h"

#include <gtest/gtest.h>

namespace {

using tesk::sending::RateInput;

TEST(RunRate, TimeLeftCountsThePausesStillToCome) {
    struct Case {
        const char* name;
        int remaining;
        int countSinceLastPause;
        double pauseLeft;
        double expected;
    };
    // One message every 2 s outside pauses (10 handled in 20 s of sending), a pause of 60 s
    // after every 5 messages.
    const Case cases[] = {
        {"two pauses within twelve", 12, 0, 0, 12 * 2 + 2 * 60},
        {"no pause after the last batch", 10, 0, 0, 10 * 2 + 1 * 60},
        {"a batch half done", 6, 3, 0, 6 * 2 + 1 * 60},
        {"during a pause", 3, 0, 25, 3 * 2 + 25},
    };
    for (const Case& c : cases) {
        RateInput input;
        input.handled = 10;
        input.seconds = 20 + 120;  // two pauses so far
        input.pausedSeconds = 120;
        input.remaining = c.remaining;
        input.pauseEvery = 5;
        input.pauseSeconds = 60;
        input.countSinceLastPause = c.countSinceLastPause;
        input.pauseLeftSeconds = c.pauseLeft;
        EXPECT_DOUBLE_EQ(tesk::sending::Seconds_Left(input), c.expected) << c.name;
    }
}

TEST(RunRate, TextNamesEachDeviceWhileTheyFit) {
    RateInput input;
    input.handled = 30;
    input.seconds = 120;
    input.remaining = 45;
    input.devices = {{"USB0", 18, 120}, {"USB1", 12, 90}};
    EXPECT_EQ(tesk::sending::Rate_Text(input),
              "15.0 messages/min (USB0 9.0, USB1 8.0), about 3 min 00 s left");
    EXPECT_EQ(tesk::sending::Rate_Text(input, 1), "15.0 messages/min, about 3 min 00 s left");
    input.handled = 0;
    EXPECT_EQ(tesk::sending::Rate_Text(input), QString());
}

}  // namespace
