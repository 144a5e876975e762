// The answers a scripted run gives on the user's behalf, asked the way the engine asks them
// (the report's status and format come from the command line: the send tests' reports show
// them), and the progress line drawn from the engine's progress text.
#include "devices/device_details.h"
#include "devices/gsm_device_list.h"
#include "sending/sms_sending.h"
#include "sms-cli/cli_dialogs.h"
#include "sms-cli/cli_progress_view.h"
#include "stores/reports.h"

#include <gtest/gtest.h>

namespace tesk::cli {
namespace {

TEST(CliAnswers, QuestionsAreAnsweredAsAScriptedRunShouldGoOn) {
    struct Case {
        QString question;
        bool beforeInterrupt;
        bool afterInterrupt;
    };
    const Case cases[] = {
        // A device of the choice left out, or the run going on with the devices that answer.
        {"VM1\r\nAre you sure you want to continue without selecting device?", true, true},
        {"\n\nOR\n\nDo you want to continue sending process with other connected device?", true,
         true},
        {"VM0\r\n" + devices::kNoSmsCapabilityQuestion, false, false},
        // The first rule that matches decides: this one also holds the pause question's words.
        {"This action will send blank message to all the contacts in list.\n\nAre you sure you "
         "want to continue?",
         false, false},
        // Stop sending, stop scanning and end the pause only once interrupted.
        {sending::kStopQuestion, false, true},
        {devices::kStopScanQuestion, false, true},
        {"Are you sure you want to continue?", false, true},
        {"\nAre you sure you want to continue to reset?", false, false},
    };
    CliDialogs dialogs;
    for (const bool interrupted : {false, true}) {
        if (interrupted) {
            dialogs.setInterrupted();
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(c.question.toStdString() + (interrupted ? ", interrupted" : ""));
            EXPECT_EQ(Show_YES_NO_MessageBox(c.question),
                      interrupted ? c.afterInterrupt : c.beforeInterrupt);
        }
    }
}

TEST(CliAnswers, NoticesAreCountedWithoutTheirLeadingLineFeed) {
    CliDialogs dialogs;
    Show_MessageBox(stores::kNoItemForExportOption);  // shown after a line feed
    Show_MessageBox(stores::kNoItemForExportOption);
    EXPECT_EQ(dialogs.noticeCount(stores::kNoItemForExportOption), 2);
}

// The bar is filled in proportion; the engine's text and the pause follow it.
TEST(CliAnswers, ProgressLineCarriesTheEngineText) {
    EXPECT_EQ(ProgressView::Bar_Line(10, 20, "3 / 20 Message or 15.00%",
                                     "Pausing the process for 5 Seconds."),
              "[###############...............] 3 / 20 Message or 15.00%  Pausing the process "
              "for 5 Seconds.");
}

}  // namespace
}  // namespace tesk::cli
