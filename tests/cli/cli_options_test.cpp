// The argument rules that need no device: the composer's pause lists typed loosely, the
// device list argument.
#include "sms-cli/cli_options.h"
#include "composer/composer_controller.h"

#include <gtest/gtest.h>

namespace tesk::cli {
namespace {

TEST(CliOptions, PauseLengthsMatchTheComposerEntriesWithoutCaseOrSpacing) {
    const std::pair<const char*, const char*> cases[] = {
        {"10 Seconds", "10 Seconds"}, {"  10   SECONDS ", "10 Seconds"},
        {"5 seconds", "5  Seconds"},  {"1 minute", " 1  Minute"},
        {"12 hours", "12 Hours"},     {"7 Seconds", "refused"},
        {"1 minutes", "refused"},     {"10", "refused"},
    };
    const QStringList entries = composer::ComposerController::Delayed_Pause_Entries();
    for (const auto& [typed, entry] : cases) {
        const int index = Pause_Entry_Index(typed);
        EXPECT_EQ(index < 0 ? QString("refused") : entries.value(index), entry) << typed;
    }
}

TEST(CliOptions, PauseCountsAreTheComposerEntries) {
    const QStringList entries = composer::ComposerController::Delayed_Count_Entries();
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(Pause_Every_Entry_Index(entries.at(i)), i);
    }
    for (const char* refused : {"0", "6", "-1", "15 messages", "", "1001"}) {
        EXPECT_EQ(Pause_Every_Entry_Index(refused), -1) << refused;
    }
}

TEST(CliOptions, DevicesArgument) {
    EXPECT_EQ(Device_Paths_Argument("all"), std::nullopt);
    EXPECT_EQ(Device_Paths_Argument(" ALL "), std::nullopt);
    EXPECT_EQ(Device_Paths_Argument("/dev/a, /dev/b,,"), (QStringList{"/dev/a", "/dev/b"}));
    EXPECT_EQ(Device_Paths_Argument(","), QStringList{});
}

}  // namespace
}  // namespace tesk::cli
