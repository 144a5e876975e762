// The application as a user starts it: real windows offscreen, modal windows driven by clicking
// their buttons, message boxes answered by a script.
#include "ui/app_shell.h"
#include "android/android_detection.h"
#include "android/phone_list_wnd.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/pacing.h"
#include "devices/gsm_device_list.h"
#include "fake-adb/fake_adb_state.h"
#include "sending/android_sending.h"
#include "stores/sent_items.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/android_send_launcher.h"
#include "ui/composer_window.h"
#include "ui/sending_wnd.h"
#include "virtual-modem/virtual_modem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using tesk::test::ScriptedDialogs;
using tesk::ui::AppShell;

// One step of a walk through modal windows: when the window named `window` is the active modal
// one, press its button named `button`.
// `ready`, when given, is asked first (and may prepare the window); the step waits while it
// says no. A disabled button is never pressed: the step waits for it to be enabled.
struct Click {
    QString window;
    QString button;
    std::function<bool(QWidget*)> ready = {};
};

// Presses the buttons of the modal windows in order as each window comes up. Everything runs
// inside the nested event loops of those windows; the walk ends when every step was taken.
class ModalWalk {
  public:
    explicit ModalWalk(QList<Click> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    bool finished() const { return next_ == steps_.size(); }
    // The windows seen, in order, each time a step was taken.
    QStringList seen() const { return seen_; }

  private:
    void poll() {
        if (finished()) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != steps_.at(next_).window) {
            return;
        }
        const Click& step = steps_.at(next_);
        auto* button = modal->findChild<QAbstractButton*>(step.button);
        if (button == nullptr || (step.ready && !step.ready(modal)) || !button->isEnabled()) {
            return;
        }
        seen_.append(modal->objectName());
        ++next_;
        // Clicked from a fresh event so the window's own exec() is the loop that handles it.
        QTimer::singleShot(0, button, &QAbstractButton::click);
    }

    QList<Click> steps_;
    qsizetype next_ = 0;
    QStringList seen_;
    QTimer timer_;
};

using tesk::test::spinUntil;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Takes the steps (after clicking `first`, when given) and waits until every one was taken and
// no modal window is left.
void walkThrough(QList<Click> steps, QAbstractButton* first = nullptr) {
    ModalWalk walk(std::move(steps));
    if (first != nullptr) {
        QTimer::singleShot(0, first, &QAbstractButton::click);
    }
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(resources_.isValid());
        qputenv("TESK_SMS_RESOURCE_DIR", resources_.filePath("res").toLocal8Bit());
        port_val_str_array.set({});
        port_det_str_array.set({});
        sel_port_name_str.set(QString(""));
        sel_port_bsd_str.set(QString(""));
    }
    void TearDown() override {
        qunsetenv("TESK_SMS_RESOURCE_DIR");
        qunsetenv(tesk::fakeadb::kStateEnv);
    }

    QTemporaryDir resources_;
    ScriptedDialogs dialogs_;
};

// The whole GSM path as a user walks it, with two virtual modems on the machine: scan, tick
// every row and Select Device in the device window, and the devices reach the composer; then
// Save Sent Items, the Send button, the apply-message dialog (OK, all items), the device check,
// and the sending window until the run has finished, where Close asks nothing. Every number gets
// the typed text once, from one of the two devices.
TEST_F(Shell, SendFromTheGsmComposerReachesEveryRecipientOnce) {
    tesk::pacing::ScopedScale fast(0.05);
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
    QStringList paths;
    for (const char* imei : {"356938035643801", "356938035643802"}) {
        tesk::vmodem::Config config;
        config.name = QStringLiteral("SH%1").arg(modems.size() + 1);
        config.imei = QLatin1String(imei);
        config.announce = false;
        modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
        ASSERT_TRUE(modems.back()->start());
        paths.append(modems.back()->portPath());
    }
    AppShell shell;
    ASSERT_TRUE(shell.start());
    shell.deviceList().Set_Modem_Paths(paths);
    const auto tickEveryRow = [&](QWidget* window) {
        QAbstractItemModel* model =
            window->findChild<QTableView*>(QStringLiteral("deviceTable"))->model();
        if (shell.deviceList().scanRunning() || model->rowCount() != 2) {
            return false;
        }
        for (int cell = 0; cell < model->rowCount() * model->columnCount(); ++cell) {
            // Only the tick column takes it.
            model->setData(model->index(cell / model->columnCount(), cell % model->columnCount()),
                           Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    };
    ASSERT_NO_FATAL_FAILURE(
        walkThrough({{"Mobile_Sel_Wnd", "gsmButton"},
                     {"GSM_DEV_Conn_Step_Wnd", "continueButton"},
                     {"GSM_Device_List_Wnd", "selectDeviceButton", tickEveryRow}}));
    shell.deviceList().Wait_For_Workers();
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_EQ(gsm->deviceLabel(), QStringLiteral("2 Mobile Device selected."));
    EXPECT_EQ(port_val_str_array.get(), (QStringList{paths[0], paths[1], tesk::kAllDevice}));
    EXPECT_EQ(gsm->currentDeviceChoice(), tesk::kAllDevice);
    QStringList numbers;
    for (int i = 0; i < 8; ++i) {
        numbers.append(QStringLiteral("+4477009003%1").arg(i, 2, 10, QLatin1Char('0')));
        gsm->controller().Create_Num_Msg_List(numbers.last(), QStringLiteral("old text"));
    }
    const QString text = QStringLiteral("Your parcel arrives today.");
    gsm->composerTextEdit()->setPlainText(text);
    gsm->option(2)->click();  // Save Sent Items

    QStringList shown;  // what the sending window shows once the run has ended
    const auto runEnded = [&](QWidget* window) {
        auto* sending = qobject_cast<tesk::ui::SendingWnd*>(window);
        if (sending->run().running()) {
            return false;
        }
        shown = QStringList{sending->windowTitle(), sending->statusText(), sending->progressText()};
        return true;
    };
    dialogs_.expectNotice(QStringLiteral("\nSMS Sending process is finished."));
    ASSERT_NO_FATAL_FAILURE(
        walkThrough({{"Send_Msg_Info", "okButton"}, {"SMS_Sending", "closeButton", runEnded}},
                    gsm->button(QStringLiteral("sendButton"))));
    EXPECT_EQ(shown,
              (QStringList{"Sending Process, Finished.", "Finish.", "8 / 8 Message or 100.00%"}));

    QStringList received;
    for (const auto& modem : modems) {
        EXPECT_FALSE(modem->received().isEmpty()) << "both devices share the list";
        for (const auto& sms : modem->received()) {
            received.append(sms.number);
            EXPECT_EQ(sms.text, text);
        }
    }
    received.sort();
    EXPECT_EQ(received, numbers);
    EXPECT_EQ(
        tesk::stores::LoadItems_Sent_Items(tesk::stores::Sent_Item_File(tesk::kGsmMode)).size(),
        numbers.size());
    shell.shutdown();
}

// The Android mode with the fake adb as the resource directory's adb and one phone on it: the
// phone chosen in the phone window reaches the Android composer. One-by-one from there: the
// list-message dialog puts the new text into every item, and the phone's companion gets one
// start per number with the message exactly as typed.
TEST_F(Shell, OneByOneSendFromTheAndroidComposerStartsTheCompanionOncePerNumber) {
    tesk::pacing::ScopedScale fast(0.1);
    QTemporaryDir phone;
    tesk::fakeadb::FakeAdbState state(phone.path());
    state.setOnePhone(QStringLiteral("0123abcd"));
    // Its SMS limit was raised before, so the phone window asks no question about it.
    state.setGlobalSetting(QStringLiteral("sms_outgoing_check_max_count"), QStringLiteral("1000"));
    state.setBuildProp(
        QStringLiteral("ro.product.manufacturer = samsung\n"
                       "ro.product.model=GT-I9100\n"));
    qputenv(tesk::fakeadb::kStateEnv, phone.path().toLocal8Bit());
    AppShell shell;
    ASSERT_TRUE(shell.start());
    // The resource directory gets the fake adb and a companion package.
    ASSERT_TRUE(QFile::link(QStringLiteral(TESK_FAKE_ADB_BIN),
                            QDir(Resource_Path).filePath(QStringLiteral("adb"))));
    ASSERT_TRUE(writeFile(QDir(Resource_Path).filePath(QStringLiteral("RUZIVeruDIR.apk")), "apk"));
    andcntr_wzd = 1;
    andcntr = 0;
    const auto detected = [&](QWidget*) {
        return !shell.phoneList().detectionRunning() && !shell.phoneList().rows().isEmpty();
    };
    ASSERT_NO_FATAL_FAILURE(walkThrough({{"Mobile_Sel_Wnd", "androidButton"},
                                         {"Connection_Info", "continueButton"},
                                         {"Phone_List_Wnd", "selectDeviceButton", detected}}));
    shell.phoneList().Wait_For_Workers();
    tesk::ui::ComposerWindow* android = shell.composerWindow(tesk::kAndroidMode);
    EXPECT_TRUE(android->isVisible());
    EXPECT_EQ(android->deviceLabel(), QStringLiteral("SAMSUNG GT-I9100"));
    QStringList numbers;
    for (int i = 0; i < 4; ++i) {
        numbers.append(QStringLiteral("+4477009004%1").arg(i, 2, 10, QLatin1Char('0')));
        android->controller().Create_Num_Msg_List(numbers.last(), QString());
    }
    android->findChild<QAbstractButton*>(QStringLiteral("oneByOne"))->click();
    const QString text =
        QStringLiteral("Tonight's \"quiz\" starts at 8 - $5 entry; bring friends & snacks!");
    android->composerTextEdit()->setPlainText(text);

    dialogs_.expect(QStringLiteral("copy the message of composer box to all numbers"),
                    QStringLiteral("Yes"));
    dialogs_.expectNotice(QStringLiteral("Your Mobile handset security feature may display"));
    dialogs_.expectNotice(QStringLiteral("Message Sending Process Completed."));
    ModalWalk walk(QList<Click>{{"Fill_Msg_In_List", "okButton"}});
    QTimer::singleShot(0, android->button(QStringLiteral("sendButton")), &QAbstractButton::click);
    ASSERT_TRUE(spinUntil([&] { return walk.finished(); })) << walk.seen().join(", ").toStdString();
    ASSERT_TRUE(spinUntil([&] { return !shell.androidSending().run().running(); }));
    EXPECT_EQ(dialogs_.pending(), 0);

    QStringList startedFor;
    for (const QJsonObject& start : state.activityStarts()) {
        const QJsonObject extras = start.value(QStringLiteral("extras")).toObject();
        startedFor.append(extras.value(QStringLiteral("NUM")).toString());
        EXPECT_EQ(extras.value(QStringLiteral("MSG")).toString(), text);
    }
    EXPECT_EQ(startedFor, numbers);
    EXPECT_EQ(android->controller().Table_Value(3, QStringLiteral("Message")), text);
    shell.shutdown();
}

// A first start offers the modes over the GSM composer. There the
// exclusion switch loads the applied lists into that composer only, the store buttons open the
// sent items and templates, and closing asks: No keeps the application running.
TEST_F(Shell, FirstStartOffersTheModesOverTheGsmComposerWhichWorksAndClosingAsks) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ASSERT_NO_FATAL_FAILURE(walkThrough({{"Mobile_Sel_Wnd", "cancelButton"}}));
    EXPECT_EQ(gsm_and_none.load(), tesk::kGsmMode);
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_TRUE(gsm->isVisible());
    EXPECT_FALSE(shell.composerWindow(tesk::kAndroidMode)->isVisible());

    ASSERT_TRUE(writeFile(Exclusion_Folder_Path + QStringLiteral("/Staff.VORN"), "0711\n0722\n"));
    ASSERT_TRUE(writeFile(Applied_Exclusion_Path, "Staff\n"));
    gsm->option(1)->click();  // Exclusion List
    EXPECT_EQ(shell.gsm().composer().exclusions().numbers(), (QStringList{"0711", "0722"}));
    EXPECT_EQ(shell.app().composer().exclusions().count(), 0) << "the other composer is untouched";

    ASSERT_NO_FATAL_FAILURE(walkThrough({{"Sent_Items", "closeButton"}},
                                        gsm->button(QStringLiteral("sentItemsButton"))));
    ASSERT_NO_FATAL_FAILURE(walkThrough({{"Templates", "closeButton"}},
                                        gsm->button(QStringLiteral("templatesButton"))));

    dialogs_.expect(QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?"),
                    QStringLiteral("No"));
    EXPECT_FALSE(gsm->close());
    EXPECT_FALSE(shell.terminating());

    dialogs_.expect(QStringLiteral("exit 'Tesk SMS Linux Edition'"), QStringLiteral("Yes"));
    EXPECT_TRUE(gsm->close());
    EXPECT_TRUE(shell.terminating());
    shell.shutdown();
}

TEST_F(Shell, UnreachableResourceDirectoryEndsBeforeAnyWindow) {
    // A regular file where the resource directory should be: nothing can be created inside.
    const QString blocked = resources_.filePath("blocked");
    ASSERT_TRUE(writeFile(blocked, "file"));
    qputenv("TESK_SMS_RESOURCE_DIR", blocked.toLocal8Bit());
    dialogs_.expectNotice(QStringLiteral("\nCan not access Tesk sms Data file."));
    AppShell shell;
    EXPECT_FALSE(shell.start());
    EXPECT_TRUE(shell.terminating());
    EXPECT_EQ(shell.composerWindow(tesk::kGsmMode), nullptr);
}

}  // namespace
