// The argument rules that need no device: the composer's pause entries typed loosely, the
// device list argument.
#include "sms-cli/cli_options.h"
#include "composer/composer_controller.h"

#include <gtest/gtest.h>

namespace tesk::cli {
namespace {

// The typed words pick the entry whatever their case and spacing, and only a whole entry (the
// counts go through the same matching; the command line's tests use both).
TEST(CliOptions, PauseLengthsMatchTheComposerEntriesWithoutCaseOrSpacing) {
    const std::pair<const char*, const char*> cases[] = {{"  10   SECONDS ", "10 Seconds"},
                                                         {"1 minute", " 1  Minute"},
                                                         {"1 minutes", "refused"},
                                                         {"10", "refused"}};
    const QStringList entries = composer::ComposerController::Delayed_Pause_Entries();
    for (const auto& [typed, entry] : cases) {
        const int index = Pause_Entry_Index(typed);
        EXPECT_EQ(index < 0 ? QString("refused") : entries.value(index), entry) << typed;
    }
}

TEST(CliOptions, DevicesArgument) {
    EXPECT_EQ(Device_Paths_Argument(" ALL "), std::nullopt);
    EXPECT_EQ(Device_Paths_Argument("/dev/a, /dev/b,,"), (QStringList{"/dev/a", "/dev/b"}));
    EXPECT_EQ(Device_Paths_Argument(","), QStringList{});
}

}  // namespace
}  // namespace tesk::cli
