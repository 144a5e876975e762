// The GSM send job: the checks before a run in their order, the apply-message dialog once per
// distinct text, no empty SMS unless asked for, and the device check with its single and
// all-device outcomes.
#include "sending/send_job.h"

#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/log.h"
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "virtual-modem/virtual_modem.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

using tesk::sending::ApplyChoice;
using tesk::sending::GSM_Send_Job;
using tesk::test::ScriptedDialogs;

struct RecordingJobView final : tesk::sending::SendJobView {
    ApplyChoice runApplyMessageDialog() override {
        ++applyDialogs;
        return applyAnswer;
    }
    void focusNumberField() override { focus = QStringLiteral("number"); }
    void focusDelayedChoice(bool count) override {
        focus = count ? QStringLiteral("count") : QStringLiteral("pause");
    }
    void showPleaseWait(bool shown) override { sheet = shown; }
    void openSendingWindow(const tesk::sending::SendingRequest& r) override { requests.append(r); }

    ApplyChoice applyAnswer = ApplyChoice::Continue;
    int applyDialogs = 0;
    QString focus;
    bool sheet = false;
    QList<tesk::sending::SendingRequest> requests;
};

struct RecordingSendingView final : tesk::sending::SendingView {
    void redrawTable() override {}
    void setStatusText(const QString&) override {}
    void setProgressText(const QString&) override {}
    void setOverallBar(int, int) override {}
    void setMessageBar(int) override {}
    void setPauseLabel(const QString&) override {}
    void setStopVisible(bool) override {}
    void setExportVisible(bool) override {}
    void setCloseEnabled(bool) override {}
    void showPleaseWait(bool) override {}
    void closeWindow() override {}
    void offerToOpenExportedFile(const QString&) override {}
};

class SendJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        port_val_str_array.set({});
        port_det_str_array.set({});
        sel_port_bsd_str.set(QString(""));
        composer.Create_Num_Msg_List(QStringLiteral("+447700900001"), QStringLiteral("hi"));
    }
    // Chooses modems as the device window would; `answering` false stops one after the choice.
    void choose(const QList<bool>& answering) {
        QStringList entries;
        QList<DeviceRecord> records;
        for (int i = 0; i < answering.size(); ++i) {
            tesk::vmodem::Config config;
            config.name = QStringLiteral("VM%1").arg(i);
            modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
            ASSERT_TRUE(modems.back()->start());
            DeviceRecord record;
            record.setValue(QStringLiteral("COM_PORT"), config.name);
            record.setValue(QStringLiteral("Model"), QStringLiteral("VM-1"));
            record.setValue(QStringLiteral("PORT_DETAL"), modems.back()->portPath());
            record.setValue(QStringLiteral("SMSMode"), QStringLiteral("PDU Mode"));
            record.setValue(QStringLiteral("UseCusSMSC"), QStringLiteral("N"));
            record.setValue(QStringLiteral("SMS_CAPABLE"), QStringLiteral("Yes"));
            records.append(record);
            entries.append(modems.back()->portPath());
            if (!answering[i]) {
                modems.back()->stop();
            }
        }
        if (entries.size() > 1) {
            entries.append(QStringLiteral("All Device"));
        }
        port_val_str_array.set(entries);
        port_det_str_array.set(records);
        sel_port_bsd_str.set(records.last().text(QStringLiteral("PORT_DETAL")));
    }

    QTemporaryDir runtime;
    tesk::pacing::ScopedScale fast{0.02};
    tesk::log::Capture logged;
    ScriptedDialogs dialogs;
    tesk::composer::ComposerController composer{tesk::composer::ComposerKind::Gsm};
    RecordingJobView view;
    GSM_Send_Job job{composer, &view};
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
};

TEST_F(SendJobTest, ChecksBeforeAnyDeviceIsTouched) {
    dialogs.expectNotice(QStringLiteral("\n") + tesk::sending::kNoDeviceForSending);
    job.Send_SMS_Btn(QStringLiteral("x"));
    choose({true});
    dialogs.expectNotice(QStringLiteral("\nPlease select a device for sms sending."));
    job.Send_SMS_Btn(QString());
    composer.controlTextDidChange(QStringLiteral("+4477"));
    dialogs.expectNotice(QStringLiteral("\nPlease insert entered number to the list."));
    job.Send_SMS_Btn(modems[0]->portPath());
    EXPECT_EQ(view.focus, QStringLiteral("number"));
    composer.controlTextDidChange(QString());
    composer.Delayed_Delivry_Chk(true);
    composer.Delayed_Choices(true, 6, -1);
    dialogs.expectNotice(
        QStringLiteral("\nNo values have been selected in 'Delayed Delivery Options'."));
    job.Send_SMS_Btn(modems[0]->portPath());
    EXPECT_EQ(view.focus, QStringLiteral("pause"));
    EXPECT_TRUE(view.requests.isEmpty());
    EXPECT_TRUE(modems[0]->commands().isEmpty());
}

TEST_F(SendJobTest, ApplyMessageDialogOncePerDistinctText) {
    choose({true});
    composer.Create_Num_Msg_List(QStringLiteral("+447700900002"), QString());
    composer.textDidChange(QStringLiteral("Spring sale"));
    view.applyAnswer = ApplyChoice::FillBlank;
    job.Send_SMS_Btn(modems[0]->portPath());
    ASSERT_EQ(view.requests.size(), 1);
    EXPECT_EQ(view.requests[0].list.at(0).Message, QStringLiteral("hi"));
    EXPECT_EQ(view.requests[0].list.at(1).Message, QStringLiteral("Spring sale"));
    EXPECT_EQ(view.requests[0].selected, modems[0]->portPath());
    job.Send_SMS_Btn(modems[0]->portPath());
    EXPECT_EQ(view.applyDialogs, 1);
    EXPECT_EQ(view.requests.size(), 2);
    composer.textDidChange(QStringLiteral("Summer sale"));
    view.applyAnswer = ApplyChoice::Cancel;
    job.Send_SMS_Btn(modems[0]->portPath());
    EXPECT_EQ(view.applyDialogs, 2);
    EXPECT_EQ(view.requests.size(), 2);
}

// Rows without a message, the way a user meets them: Send, an answer, Send again. Each run
// goes through the virtual modem, whose log says what the recipients got; an empty SMS arrives
// only where the user said yes to exactly that.
TEST_F(SendJobTest, NothingGoesOutEmptyUnlessTheUserSaysSo) {
    struct Press {
        std::optional<ApplyChoice> apply;  // the apply-message dialog's answer; none: not shown
        QString question;                  // the blank-message question ("" = none)
        QString answer;
    };
    struct Case {
        const char* name;
        QStringList rows;  // the rows' messages
        QString composerText;
        QList<Press> presses;
        QStringList received;  // what the modem got, in list order
    };
    const QString none = QStringLiteral("You have composed no text message yet for any");
    const QString some = QStringLiteral("1 of the 2 contacts in the list have no text message.");
    const QString yes = QStringLiteral("Yes");
    const QString no = QStringLiteral("No");
    const Case cases[] = {
        {"cancel_then_send_again",
         {"", ""},
         "Hello",
         {{ApplyChoice::Cancel, "", ""}, {ApplyChoice::FillBlank, "", ""}},
         {"Hello", "Hello"}},
        {"continue_then_send_again",
         {"", ""},
         "Hello",
         {{ApplyChoice::Continue, none, no}, {ApplyChoice::FillAll, "", ""}},
         {"Hello", "Hello"}},
        {"continue_with_some_rows_blank",
         {"hi", ""},
         "Hello",
         {{ApplyChoice::Continue, some, no}, {ApplyChoice::Continue, some, yes}},
         {"hi", ""}},
        {"nothing_composed", {"", ""}, "", {{std::nullopt, none, no}}, {}},
    };
    tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
    Fill_Channel_Table();
    RecordingSendingView sendingView;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modems.clear();
        choose({true});
        dialogs.expect(QStringLiteral("continue to reset"), QStringLiteral("Yes"));
        composer.Reset_Btn();
        for (int i = 0; i < c.rows.size(); ++i) {
            composer.Create_Num_Msg_List(QStringLiteral("+44770090010%1").arg(i), c.rows[i]);
        }
        composer.textDidChange(c.composerText);
        view = RecordingJobView();
        int expectedDialogs = 0;
        for (const Press& press : c.presses) {
            if (press.apply) {
                view.applyAnswer = *press.apply;
                ++expectedDialogs;
            }
            if (!press.question.isEmpty()) {
                dialogs.expect(press.question, press.answer);
            }
            job.Send_SMS_Btn(modems[0]->portPath());
            EXPECT_EQ(view.applyDialogs, expectedDialogs);
        }
        ASSERT_LE(view.requests.size(), 1);
        QStringList received;
        if (!view.requests.isEmpty()) {
            tesk::sending::SMS_Sending run;
            run.setView(&sendingView);
            dialogs.expectNotice(QStringLiteral("SMS Sending process is finished."));
            run.Open_SMS_Sending_Dialog(view.requests.first());
            run.Wait_For_Run();
            for (const auto& sms : modems[0]->received()) {
                received.append(sms.text);
            }
        }
        EXPECT_EQ(received, c.received);
        ASSERT_EQ(dialogs.pending(), 0);
    }
    close_all_ports();
}

TEST_F(SendJobTest, AllDeviceGoesOnWithTheDevicesThatAnswer) {
    choose({true, false, true});
    dialogs.expect(QStringLiteral("VM-1 Device connected on VM1 \n\nDevice not connected properly"),
                   QStringLiteral("Yes"));
    job.Send_SMS_Btn(QStringLiteral("All Device"));
    ASSERT_EQ(view.requests.size(), 1);
    EXPECT_EQ(view.requests[0].entries,
              (QStringList{modems[0]->portPath(), modems[2]->portPath(), "All Device"}));
    EXPECT_EQ(view.requests[0].selected, QStringLiteral("All Device"));
    EXPECT_FALSE(view.sheet);
}

TEST_F(SendJobTest, NoDeviceAnsweringEndsTheJob) {
    struct Case {
        QList<bool> answering;
        QString choice;  // "" = the first device
        QString message;
    };
    const Case cases[] = {
        {{false, false},
         QStringLiteral("All Device"),
         QStringLiteral("VM-1 Device connected on VM0 \nVM-1 Device connected on VM1 \n\n All "
                        "Device not connected properly")},
        {{false},
         QString(),
         QStringLiteral("VM-1 Device connected on VM0 \nDevice is not connected properly")},
    };
    for (const Case& c : cases) {
        modems.clear();
        choose(c.answering);
        dialogs.expectNotice(c.message);
        job.Send_SMS_Btn(c.choice.isEmpty() ? port_val_str_array.get().first() : c.choice);
        EXPECT_TRUE(view.requests.isEmpty());
        ASSERT_EQ(dialogs.pending(), 0);
    }
}

}  // namespace
