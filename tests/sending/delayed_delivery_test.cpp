// Delayed delivery: the two option lists, reading them, and the countdown text.
#include "sending/delayed_delivery.h"

#include <gtest/gtest.h>

namespace {

using tesk::sending::Pause_Label;
using tesk::sending::Read_Pause_Settings;

TEST(DelayedDelivery, EveryPauseLengthReadsAsItSays) {
    struct Case {
        const char* text;
        qint64 ms;
    };
    const Case cases[] = {
        {"55 Seconds", 55000},
        {" 1  Minute", 60000},
        {"12 Hours", 43200000},
        {"No Pause", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read_Pause_Settings(" 15 ", QString(c.text)).pauseMs, c.ms) << c.text;
    }
    EXPECT_EQ(Read_Pause_Settings(" 15 ", QString()).everyMessages, 15);
}

TEST(DelayedDelivery, CountdownText) {
    struct Case {
        qint64 ms;
        const char* label;
    };
    const Case cases[] = {
        {3600000, "Pausing the process for 1 Hour 0 Minute 0 Second."},
        {7265000, "Pausing the process for 2 Hours 1 Minute 5 Seconds."},
        {600000, "Pausing the process for 10 Minutes 0 Second."},
        {1000, "Pausing the process for 1 Second."},
        {119000, "Pausing the process for 1 Minute 59 Seconds."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pause_Label(c.ms), QString(c.label)) << c.ms;
    }
}

}  // namespace
