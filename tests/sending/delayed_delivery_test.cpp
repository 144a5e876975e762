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
        // Each unit on both sides of its plural (1 and 2), and 0 under an hour or a minute.
        {3600000, "Pausing the process for 1 Hour 0 Minute 0 Second."},
        {7322000, "Pausing the process for 2 Hours 2 Minutes 2 Seconds."},
        {120000, "Pausing the process for 2 Minutes 0 Second."},
        {61000, "Pausing the process for 1 Minute 1 Second."},
        {1000, "Pausing the process for 1 Second."},
        {2000, "Pausing the process for 2 Seconds."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pause_Label(c.ms), QString(c.label)) << c.ms;
    }
}

}  // namespace
