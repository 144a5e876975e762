// The answers a scripted run gives on the user's behalf, asked the way the engine asks them,
// and the progress line drawn from the engine's progress text.
#include "devices/device_details.h"
#include "devices/gsm_device_list.h"
#include "sending/sms_sending.h"
#include "sms-cli/cli_dialogs.h"
#include "sms-cli/cli_progress_view.h"
#include "stores/reports.h"

#include <gtest/gtest.h>

namespace {

using tesk::cli::CliDialogs;
using tesk::cli::ProgressView;
using tesk::cli::ReportStatus;

TEST(CliAnswers, QuestionsAreAnsweredAsAScriptedRunShouldGoOn) {
    struct Case {
        const char* name;
        QString question;
        bool beforeInterrupt;
        bool afterInterrupt;
    };
    const Case cases[] = {
        {"device of the choice left out",
         QStringLiteral("VM1\r\nSMS Mode details should not be blanked.\n\nAre you sure you want "
                        "to continue without selecting device?"),
         true, true},
        {"run goes on with the devices that answer",
         QStringLiteral("VM-1 Device connected on VM0 \n\nDevice not connected properly or Device "
                        "is not functioning.\n\nOR\n\nDo you want to continue sending process "
                        "with other connected device?"),
         true, true},
        {"device that does not seem SMS capable",
         "VM0\r\n" + tesk::devices::kNoSmsCapabilityQuestion, false, false},
        {"blank message",
         QStringLiteral("\nYou have composed no text message yet for any of the contacts in the "
                        "entire list. This action will send blank message to all the contacts in "
                        "list.\n\nAre you sure you want to continue?"),
         false, false},
        {"stop sending", tesk::sending::kStopQuestion, false, true},
        {"stop scanning", tesk::devices::kStopScanQuestion, false, true},
        {"end the pause", "Are you sure you want to continue?", false, true},
        {"anything else", "\nAre you sure you want to continue to reset?", false, false},
    };
    CliDialogs dialogs;
    for (const bool interrupted : {false, true}) {
        if (interrupted) {
            dialogs.setInterrupted();
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (interrupted ? ", interrupted" : ""));
            EXPECT_EQ(Show_YES_NO_MessageBox(c.question),
                      interrupted ? c.afterInterrupt : c.beforeInterrupt);
        }
    }
}

TEST(CliAnswers, ExportAndImportQuestionsTakeTheCommandLine) {
    struct Case {
        ReportStatus status;
        bool html;
        int statusButton;  // All Items, Sent Successfully, Not Sent
        int formatButton;  // Text, HTML
    };
    const Case cases[] = {{ReportStatus::All, false, 0, 0},
                          {ReportStatus::Sent, true, 1, 1},
                          {ReportStatus::NotSent, false, 2, 0}};
    CliDialogs dialogs;
    for (const Case& c : cases) {
        dialogs.setReport("/tmp/report.txt", c.html, c.status);
        EXPECT_EQ(tesk::dialogs().ask({"\nWhich sent items do you want to export?",
                                       QString(),
                                       {"All Items", "Sent Successfully", "Not Sent", "Cancel"}}),
                  c.statusButton);
        EXPECT_EQ(tesk::dialogs().ask({"\nIn which format do you want to export?",
                                       QString(),
                                       {"Text", "HTML", "Cancel"}}),
                  c.formatButton);
        EXPECT_EQ(tesk::dialogs().chooseFileToSave({}), "/tmp/report.txt");
    }
    // The numbers file is the file to open; a list already filled is appended to.
    dialogs.setFilesToOpen({"/tmp/numbers.csv"});
    EXPECT_EQ(tesk::dialogs().chooseFilesToOpen({}), QStringList{"/tmp/numbers.csv"});
    EXPECT_EQ(
        tesk::dialogs().ask(
            {"\nDo you want to replace the current list?", QString(), {"Yes", "No", "Cancel"}}),
        1);
}

TEST(CliAnswers, NoticesAreCountedWithoutTheirLeadingLineFeed) {
    CliDialogs dialogs;
    Show_MessageBox(tesk::stores::kNoItemForExportOption);
    Show_MessageBox(tesk::stores::kNoItemForExportOption);
    Show_MessageBox("Sent items list is empty.");
    EXPECT_EQ(dialogs.noticeCount(tesk::stores::kNoItemForExportOption), 2);
    EXPECT_EQ(dialogs.noticeCount("\n" + tesk::stores::kNoItemForExportOption), 0);
    EXPECT_EQ(dialogs.noticeCount("Sent items list is empty."), 1);
}

TEST(CliAnswers, ProgressLineCarriesTheEngineText) {
    struct Case {
        int value;
        int maximum;
        QString pause;
        QString line;
    };
    const QString text = "3 / 20 Message or 15.00%";
    const Case cases[] = {
        {0, 20, QString(), "[..............................] " + text},
        {3, 20, QString(), "[####..........................] " + text},
        {20, 20, QString(), "[##############################] " + text},
        {25, 20, QString(), "[##############################] " + text},
        {0, 0, QString(), "[..............................] " + text},
        {10, 20, "Pausing the process for 5 Seconds.",
         "[###############...............] " + text + "  Pausing the process for 5 Seconds."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressView::Bar_Line(c.value, c.maximum, text, c.pause), c.line);
    }
}

}  // namespace
