// The GSM send job: the checks before a run in their order, the apply-message dialog once per
// distinct text, no empty SMS unless asked for, and the device check with its single and
// all-device outcomes.
#include "sending/send_job.h"

#include "appstate/selection_state.h"
#include "sending_run_fixture.h"

#include <optional>

namespace tesk::sending::test {
namespace {

struct RecordingJobView final : SendJobView {
    ApplyChoice runApplyMessageDialog() override {
        ++applyDialogs;
        return applyAnswer;
    }
    void focusNumberField() override {}
    void focusDelayedChoice(bool) override {}
    void showPleaseWait(bool) override {}
    void openSendingWindow(const SendingRequest& r) override { requests.append(r); }

    ApplyChoice applyAnswer = ApplyChoice::Continue;
    int applyDialogs = 0;
    QList<SendingRequest> requests;
};

class SendJobTest : public SendingRunTest {
  protected:
    void SetUp() override {
        SendingRunTest::SetUp();
        port_val_str_array.set({});
        port_det_str_array.set({});
        sel_port_bsd_str.set("");
        composer.Create_Num_Msg_List("+447700900001", "hi");
    }
    // Chooses new modems as the device window would; `answering` false stops one after the
    // choice.
    void choose(const QList<bool>& answering) {
        reset();
        addModems(answering.size());
        for (int i = 0; i < answering.size(); ++i) {
            if (!answering[i]) {
                modems[i].stop();
            }
        }
        if (request.entries.size() > 1) {
            request.entries.append("All Device");
        }
        port_val_str_array.set(request.entries);
        port_det_str_array.set(request.devices);
        sel_port_bsd_str.set(request.devices.last().path);
    }

    composer::ComposerController composer{composer::ComposerKind::Gsm};
    RecordingJobView jobView;
    GSM_Send_Job job{composer, &jobView};
};

TEST_F(SendJobTest, ChecksBeforeAnyDeviceIsTouched) {
    dialogs.expectNotice("\n" + kNoDeviceForSending);
    job.Send_SMS_Btn("x");
    choose({true});
    dialogs.expectNotice("\nPlease select a device for sms sending.");
    job.Send_SMS_Btn(QString());
    composer.controlTextDidChange("+4477");
    dialogs.expectNotice("\nPlease insert entered number to the list.");
    job.Send_SMS_Btn(modems[0].portPath());
    composer.controlTextDidChange(QString());
    composer.Delayed_Delivry_Chk(true);
    composer.Delayed_Choices(true, 6, -1);
    dialogs.expectNotice("\nNo values have been selected in 'Delayed Delivery Options'.");
    job.Send_SMS_Btn(modems[0].portPath());
    EXPECT_TRUE(jobView.requests.isEmpty());
    EXPECT_TRUE(modems[0].commands().isEmpty());
}

// Rows without a message, the way a user meets them: Send, an answer, Send again. The list each
// Send hands to the run is what the recipients get; an empty SMS goes only where the user said
// yes to exactly that, and the apply-message dialog comes once per composed text.
TEST_F(SendJobTest, NothingGoesOutEmptyUnlessTheUserSaysSo) {
    struct Press {
        std::optional<ApplyChoice> apply;  // the apply-message dialog's answer; none: not shown
        QString question;                  // the blank-message question ("" = none)
        QString answer;
    };
    struct Case {
        QStringList rows;  // the rows' messages
        QString composerText;
        QList<Press> presses;
        QList<QStringList> sent;  // the messages of each run opened
    };
    const QString none = "You have composed no text message yet for any";
    const QString some = "1 of the 2 contacts in the list have no text message.";
    using enum ApplyChoice;
    const Case cases[] = {
        {{"", ""}, "Hello", {{Continue, none, "No"}, {FillAll, "", ""}}, {{"Hello", "Hello"}}},
        {{"hi", ""}, "Hello", {{Continue, some, "No"}, {Continue, some, "Yes"}}, {{"hi", ""}}},
        {{"", ""}, "", {{std::nullopt, none, "No"}}, {}},  // nothing composed
        {{"hi", ""},
         "Sale",
         {{Cancel, "", ""}, {FillBlank, "", ""}, {std::nullopt, "", ""}},
         {{"hi", "Sale"}, {"hi", "Sale"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        choose({true});
        dialogs.expect("continue to reset", "Yes");
        composer.Reset_Btn();
        for (int i = 0; i < c.rows.size(); ++i) {
            composer.Create_Num_Msg_List(QString("+44770090010%1").arg(i), c.rows[i]);
        }
        composer.textDidChange(c.composerText);
        jobView = RecordingJobView();
        int expectedDialogs = 0;
        for (const Press& press : c.presses) {
            if (press.apply) {
                jobView.applyAnswer = *press.apply;
                ++expectedDialogs;
            }
            if (!press.question.isEmpty()) {
                dialogs.expect(press.question, press.answer);
            }
            job.Send_SMS_Btn(modems[0].portPath());
            EXPECT_EQ(jobView.applyDialogs, expectedDialogs);
        }
        QList<QStringList> sent;
        for (const SendingRequest& opened : jobView.requests) {
            sent.append(QStringList());
            for (const auto& item : opened.list) {
                sent.last().append(item.Message);
            }
        }
        EXPECT_EQ(sent, c.sent);
        ASSERT_EQ(dialogs.pending(), 0);
    }
}

// Each device is asked before the run: the run goes on with those that answer when the user
// agrees, and not at all when none answers.
TEST_F(SendJobTest, OnlyTheDevicesThatAnswerTakePart) {
    const struct {
        QList<bool> answering;
        QString choice;  // "" = the first device
        QString message;
        QString button;
        QList<int> taking;  // the devices the run opens on; empty: no run
    } cases[] = {
        {{true, false, true},
         "All Device",
         "VM-1 Device connected on VM1 \n\nDevice not connected properly",
         "Yes",
         {0, 2}},
        {{false, false},
         "All Device",
         "VM-1 Device connected on VM0 \nVM-1 Device connected on VM1 \n\n All Device not "
         "connected properly",
         "OK",
         {}},
        {{false}, "", "VM-1 Device connected on VM0 \nDevice is not connected properly", "OK", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        choose(c.answering);
        jobView.requests.clear();
        dialogs.expect(c.message, c.button);
        job.Send_SMS_Btn(c.choice.isEmpty() ? port_val_str_array.get().first() : c.choice);
        ASSERT_EQ(dialogs.pending(), 0);
        if (c.taking.isEmpty()) {
            EXPECT_TRUE(jobView.requests.isEmpty());
            continue;
        }
        ASSERT_EQ(jobView.requests.size(), 1);
        QStringList entries;
        for (const int i : c.taking) {
            entries.append(modems[i].portPath());
        }
        EXPECT_EQ(jobView.requests[0].entries, entries << "All Device");
        EXPECT_EQ(jobView.requests[0].selected, "All Device");
    }
}

}  // namespace
}  // namespace tesk::sending::test
