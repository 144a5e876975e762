// The GSM send job: the checks before a run in their order, the apply-message dialog once per
// distinct text, and the device check with its single and all-device outcomes.
#include "sending/send_job.h"

#include "appcore/selection_state.h"
#include "core/log.h"
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "virtual-modem/virtual_modem.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
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

TEST_F(SendJobTest, BlankMessagesEverywhereAreAskedAbout) {
    choose({true});
    dialogs.expect(QStringLiteral("clear the entire list"), QStringLiteral("Yes"));
    composer.Clear_All_Btn();
    composer.Create_Num_Msg_List(QStringLiteral("+447700900003"), QString());
    dialogs.expect(QStringLiteral("You have composed no text message yet"), QStringLiteral("No"));
    job.Send_SMS_Btn(modems[0]->portPath());
    EXPECT_TRUE(view.requests.isEmpty());
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
