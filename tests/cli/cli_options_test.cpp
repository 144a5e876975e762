// The argument rules that need no device: the composer's pause lists typed loosely, the
// device list argument.
#include "sms-cli/cli_options.h"
#include "composer/composer_controller.h"

#include <gtest/gtest.h>

namespace {

using tesk::cli::Device_Paths_Argument;
using tesk::cli::Pause_Entry_Index;
using tesk::cli::Pause_Every_Entry_Index;
using tesk::composer::ComposerController;

TEST(CliOptions, PauseLengthsMatchTheComposerEntriesWithoutCaseOrSpacing) {
    struct Case {
        const char* typed;
        const char* entry;  // nullptr: refused
    };
    const Case cases[] = {
        {"10 Seconds", "10 Seconds"},
        {"10 seconds", "10 Seconds"},
        {"  10   SECONDS ", "10 Seconds"},
        {"5 seconds", "5  Seconds"},
        {"2 minutes", " 2  Minutes"},
        {"1 minute", " 1  Minute"},
        {"1 Hour", " 1  Hour"},
        {"12 hours", "12 Hours"},
        {"7 Seconds", nullptr},
        {"1 minutes", nullptr},
        {"", nullptr},
        {"10", nullptr},
    };
    const QStringList entries = ComposerController::Delayed_Pause_Entries();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const int index = Pause_Entry_Index(QString::fromLatin1(c.typed));
        if (c.entry == nullptr) {
            EXPECT_EQ(index, -1);
        } else {
            ASSERT_GE(index, 0);
            EXPECT_EQ(entries.at(index), QString::fromLatin1(c.entry));
        }
    }
}

TEST(CliOptions, PauseCountsAreTheComposerEntries) {
    const QStringList entries = ComposerController::Delayed_Count_Entries();
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(Pause_Every_Entry_Index(entries.at(i)), i);
    }
    for (const char* refused : {"0", "6", "-1", "15 messages", "", "1001"}) {
        EXPECT_EQ(Pause_Every_Entry_Index(QString::fromLatin1(refused)), -1) << refused;
    }
}

TEST(CliOptions, DevicesArgument) {
    EXPECT_EQ(Device_Paths_Argument("all"), std::nullopt);
    EXPECT_EQ(Device_Paths_Argument(" ALL "), std::nullopt);
    EXPECT_EQ(Device_Paths_Argument("/dev/a, /dev/b,,"), (QStringList{"/dev/a", "/dev/b"}));
    EXPECT_EQ(Device_Paths_Argument(","), QStringList{});
}

}  // namespace
