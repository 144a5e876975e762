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
#include "ui/android_send_sheets.h"
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
#include <QWidget>

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
    void TearDown() override { qunsetenv("TESK_SMS_RESOURCE_DIR"); }

    QTemporaryDir resources_;
    ScriptedDialogs dialogs_;
};

TEST_F(Shell, BackFromTheAndroidStepsBringsTheModeWindowAgain) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "androidButton"},
                                {"Connection_Info", "backButton"},
                                {"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    // The Android composer came to the front when Android was chosen and stays there.
    EXPECT_EQ(gsm_and_none.load(), tesk::kAndroidMode);
    EXPECT_TRUE(shell.composerWindow(tesk::kAndroidMode)->isVisible());
    EXPECT_FALSE(shell.composerWindow(tesk::kGsmMode)->isVisible());
    shell.shutdown();
}

TEST_F(Shell, ContinuingOfflineFromAnEmptyScanLeavesTheComposerWithoutDevice) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    shell.deviceList().Set_Modem_Paths(QStringList{});
    dialogs_.expectNotice(QStringLiteral("\nNo mobile device was found."));
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "gsmButton"},
                                {"GSM_DEV_Conn_Step_Wnd", "continueButton"},
                                {"GSM_Device_List_Wnd", "continueOfflineButton",
                                 [&](QWidget*) { return !shell.deviceList().scanRunning(); }}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_TRUE(gsm->isVisible());
    EXPECT_EQ(gsm->deviceLabel(), tesk::kNoDeviceSelected);
    EXPECT_TRUE(gsm->noDeviceNoticeVisible());
    EXPECT_TRUE(sel_port_bsd_str.get().isEmpty());
    shell.shutdown();
}

// Two virtual modems on the machine, chosen in the device window as a user does it: scan,
// tick every row, "Select Device".
class TwoModemShell : public Shell {
  protected:
    void SetUp() override {
        Shell::SetUp();
        for (const auto& [name, imei] :
             {std::pair{"SH1", "356938035643801"}, std::pair{"SH2", "356938035643802"}}) {
            tesk::vmodem::Config config;
            config.name = QLatin1String(name);
            config.imei = QLatin1String(imei);
            config.announce = false;
            modems_.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
            QString error;
            ASSERT_TRUE(modems_.back()->start(&error)) << error.toStdString();
            paths_.append(modems_.back()->portPath());
        }
    }

    void chooseBothModems(AppShell& shell) {
        shell.deviceList().Set_Modem_Paths(paths_);
        const auto tickEveryRow = [&](QWidget* window) {
            if (shell.deviceList().scanRunning()) {
                return false;
            }
            auto* table = window->findChild<QTableView*>(QStringLiteral("deviceTable"));
            QAbstractItemModel* model = table->model();
            if (model->rowCount() != 2) {
                return false;
            }
            for (int column = 0; column < model->columnCount(); ++column) {
                if (!(model->flags(model->index(0, column)) & Qt::ItemIsUserCheckable)) {
                    continue;
                }
                for (int row = 0; row < model->rowCount(); ++row) {
                    model->setData(model->index(row, column), Qt::Checked, Qt::CheckStateRole);
                }
            }
            return true;
        };
        ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "gsmButton"},
                                    {"GSM_DEV_Conn_Step_Wnd", "continueButton"},
                                    {"GSM_Device_List_Wnd", "selectDeviceButton", tickEveryRow}});
        ASSERT_TRUE(spinUntil([&] {
            return walk.finished() && !QApplication::activeModalWidget();
        })) << walk.seen().join(", ").toStdString();
        shell.deviceList().Wait_For_Workers();
    }

    tesk::pacing::ScopedScale fast_{0.05};
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems_;
    QStringList paths_;
};

// The whole GSM path as a user walks it: devices chosen in the device window reach the
// composer; then the list, Save Sent Items, the Send button, the apply-message dialog (OK, all
// items), the device check, the sending window until the run has finished, the status report,
// and Close.
TEST_F(TwoModemShell, SendFromTheGsmComposerReachesEveryRecipientOnceAndIsReported) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ASSERT_NO_FATAL_FAILURE(chooseBothModems(shell));
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_EQ(gsm->deviceLabel(), QStringLiteral("2 Mobile Device selected."));
    EXPECT_FALSE(gsm->noDeviceNoticeVisible());
    EXPECT_EQ(port_val_str_array.get(), (QStringList{paths_[0], paths_[1], tesk::kAllDevice}));
    EXPECT_EQ(gsm->currentDeviceChoice(), tesk::kAllDevice);
    EXPECT_EQ(port_det_str_array.get().size(), 2);
    QStringList numbers;
    for (int i = 0; i < 8; ++i) {
        numbers.append(QStringLiteral("+4477009003%1").arg(i, 2, 10, QLatin1Char('0')));
        gsm->controller().Create_Num_Msg_List(numbers.last(), QStringLiteral("old text"));
    }
    const QString text = QStringLiteral("Your parcel arrives today.");
    gsm->composerTextEdit()->setPlainText(text);
    gsm->option(2)->click();  // Save Sent Items
    ASSERT_TRUE(gsm->controller().options().saveSentItems);
    ASSERT_TRUE(gsm->sendEnabled());

    const QString report = resources_.filePath(QStringLiteral("status"));
    QString finalStatus;
    const auto runEnded = [&](QWidget* window) {
        auto* sending = qobject_cast<tesk::ui::SendingWnd*>(window);
        if (sending->run().running()) {
            return false;
        }
        finalStatus = sending->statusText();
        return true;
    };
    ModalWalk walk(QList<Click>{{"Send_Msg_Info", "okButton"},
                                {"SMS_Sending", "exportButton", runEnded},
                                {"SMS_Sending", "closeButton"}});
    dialogs_.expectNotice(QStringLiteral("\nSMS Sending process is finished."));
    dialogs_.expect(QStringLiteral("Which sent items"), QStringLiteral("All Items"));
    dialogs_.expect(QStringLiteral("In which format"), QStringLiteral("Text"));
    dialogs_.expectFileToSave(report);
    dialogs_.expect(QStringLiteral("open the exported file"), QStringLiteral("No"));
    QTimer::singleShot(0, gsm->button(QStringLiteral("sendButton")), &QAbstractButton::click);
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    EXPECT_EQ(finalStatus, QStringLiteral("Finish."));
    EXPECT_EQ(dialogs_.pending(), 0);

    QStringList received;
    for (const auto& modem : modems_) {
        EXPECT_FALSE(modem->received().isEmpty()) << "both devices share the list";
        for (const auto& sms : modem->received()) {
            received.append(sms.number);
            EXPECT_EQ(sms.text, text);
        }
    }
    received.sort();
    EXPECT_EQ(received, numbers);
    // OK with "all" put the composed text into the list itself.
    EXPECT_EQ(gsm->controller().Table_Value(0, QStringLiteral("Message")), text);

    // One sent-items record per message, each with its outcome.
    const QList<tesk::stores::SentItem> stored =
        tesk::stores::LoadItems_Sent_Items(tesk::stores::Sent_Item_File(tesk::kGsmMode));
    ASSERT_EQ(stored.size(), numbers.size());
    QStringList storedNumbers;
    for (const auto& item : stored) {
        storedNumbers.append(item.Number);
        EXPECT_EQ(item.Status, QStringLiteral("Message sent successfully."));
    }
    storedNumbers.sort();
    EXPECT_EQ(storedNumbers, numbers);

    // The report names every recipient with its outcome (UTF-16 with one byte-order mark).
    QFile file(report + QStringLiteral(".txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 2);
    const QString reportText = QString::fromUtf16(
        reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    for (const QString& number : numbers) {
        EXPECT_TRUE(reportText.contains(QStringLiteral("Number\t\t: ") + number))
            << number.toStdString();
    }
    EXPECT_EQ(reportText.count(QStringLiteral("Sent Status\t: Message sent successfully.")),
              numbers.size());
    shell.shutdown();
}

// The Android mode with the fake adb as the resource directory's adb and one phone on it.
class PhoneShell : public Shell {
  protected:
    void SetUp() override {
        Shell::SetUp();
        ASSERT_TRUE(phone_.isValid());
        state_ = std::make_unique<tesk::fakeadb::FakeAdbState>(phone_.path());
        state_->setOnePhone(QStringLiteral("0123abcd"));
        // Its SMS limit was raised before, so the phone window asks no question about it.
        state_->setGlobalSetting(QStringLiteral("sms_outgoing_check_max_count"),
                                 QStringLiteral("1000"));
        state_->setBuildProp(
            QStringLiteral("ro.product.manufacturer = samsung\n"
                           "ro.product.model=GT-I9100\n"
                           "ro.build.version.release=4.1.2\n"));
        qputenv(tesk::fakeadb::kStateEnv, phone_.path().toLocal8Bit());
    }
    void TearDown() override {
        qunsetenv(tesk::fakeadb::kStateEnv);
        Shell::TearDown();
    }
    // After start: the resource directory gets the fake adb and a companion package.
    void installPhoneTools() {
        ASSERT_TRUE(QFile::link(QStringLiteral(TESK_FAKE_ADB_BIN),
                                QDir(Resource_Path).filePath(QStringLiteral("adb"))));
        QFile package(QDir(Resource_Path).filePath(QStringLiteral("RUZIVeruDIR.apk")));
        ASSERT_TRUE(package.open(QIODevice::WriteOnly));
        package.write("package");
    }
    // Android button, connection steps, then Select Device once the detection has ended.
    void choosePhone(AppShell& shell, QStringList* rowsSeen = nullptr) {
        const auto detected = [&](QWidget* window) {
            if (shell.phoneList().detectionRunning() || shell.phoneList().rows().isEmpty()) {
                return false;
            }
            QAbstractItemModel* model =
                window->findChild<QTableView*>(QStringLiteral("phoneTable"))->model();
            for (int row = 0; rowsSeen != nullptr && row < model->rowCount(); ++row) {
                rowsSeen->append(model->index(row, 0).data().toString() + QStringLiteral("=") +
                                 model->index(row, 1).data().toString());
            }
            return true;
        };
        ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "androidButton"},
                                    {"Connection_Info", "continueButton"},
                                    {"Phone_List_Wnd", "selectDeviceButton", detected}});
        ASSERT_TRUE(spinUntil([&] {
            return walk.finished() && !QApplication::activeModalWidget();
        })) << walk.seen().join(", ").toStdString();
        shell.phoneList().Wait_For_Workers();
    }

    tesk::pacing::ScopedScale fast_{0.1};
    QTemporaryDir phone_;
    std::unique_ptr<tesk::fakeadb::FakeAdbState> state_;
};

// The phone chosen in the phone window reaches the Android composer. One-by-one from there: the
// list-message dialog puts the new text into every item, the sheet follows the run, and the
// phone's companion gets one start per number with the message exactly as typed.
TEST_F(PhoneShell, OneByOneSendFromTheAndroidComposerStartsTheCompanionOncePerNumber) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ASSERT_NO_FATAL_FAILURE(installPhoneTools());
    andcntr_wzd = 1;
    andcntr = 0;
    QStringList rowsSeen;
    ASSERT_NO_FATAL_FAILURE(choosePhone(shell, &rowsSeen));
    EXPECT_EQ(rowsSeen,
              (QStringList{"Device=Android Device 0123ABCD", "Manufacturer=SAMSUNG",
                           "Model Number=GT-I9100", "Firmware Version=4.1.2", "Build Number=",
                           "SDK Version=", "Build PDA=", "Build Host=", "Serial Number=0123ABCD"}));
    tesk::ui::ComposerWindow* android = shell.composerWindow(tesk::kAndroidMode);
    EXPECT_TRUE(android->isVisible());
    EXPECT_EQ(android->deviceLabel(), QStringLiteral("SAMSUNG GT-I9100"));
    EXPECT_FALSE(android->noDeviceNoticeVisible());
    QStringList numbers;
    for (int i = 0; i < 4; ++i) {
        numbers.append(QStringLiteral("+4477009004%1").arg(i, 2, 10, QLatin1Char('0')));
        android->controller().Create_Num_Msg_List(numbers.last(), QString());
    }
    android->findChild<QAbstractButton*>(QStringLiteral("oneByOne"))->click();
    const QString text =
        QStringLiteral("Tonight's \"quiz\" starts at 8 - $5 entry; bring friends & snacks!");
    android->composerTextEdit()->setPlainText(text);
    ASSERT_TRUE(android->sendEnabled());

    dialogs_.expect(QStringLiteral("copy the message of composer box to all numbers"),
                    QStringLiteral("Yes"));
    dialogs_.expectNotice(QStringLiteral("Your Mobile handset security feature may display"));
    dialogs_.expectNotice(QStringLiteral("Message Sending Process Completed."));
    ModalWalk walk(QList<Click>{{"Fill_Msg_In_List", "okButton"}});
    QTimer::singleShot(0, android->button(QStringLiteral("sendButton")), &QAbstractButton::click);
    ASSERT_TRUE(spinUntil([&] { return walk.finished(); })) << walk.seen().join(", ").toStdString();
    ASSERT_TRUE(spinUntil([&] { return !shell.androidSending().run().running(); }));
    EXPECT_EQ(dialogs_.pending(), 0);
    EXPECT_FALSE(shell.androidSending().sendSheet()->isVisible());

    QStringList startedFor;
    for (const QJsonObject& start : state_->activityStarts()) {
        const QJsonObject extras = start.value(QStringLiteral("extras")).toObject();
        startedFor.append(extras.value(QStringLiteral("NUM")).toString());
        EXPECT_EQ(extras.value(QStringLiteral("MSG")).toString(), text);
    }
    EXPECT_EQ(startedFor, numbers);
    EXPECT_EQ(android->controller().Table_Value(3, QStringLiteral("Message")), text);
    shell.shutdown();
}

// A first start creates the data and offers the modes over the GSM composer. There the
// exclusion switch loads the applied lists into that composer only, the store buttons open the
// sent items and templates, and closing asks: No keeps the application running.
TEST_F(Shell, FirstStartOffersTheModesOverTheGsmComposerWhichWorksAndClosingAsks) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    EXPECT_TRUE(QFile::exists(Sent_Item_Path));
    EXPECT_TRUE(QFile::exists(Exclusion_Index_Path));
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(gsm_and_none.load(), tesk::kGsmMode);
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_TRUE(gsm->isVisible());
    EXPECT_FALSE(shell.composerWindow(tesk::kAndroidMode)->isVisible());

    QFile list(Exclusion_Folder_Path + QStringLiteral("/Staff.VORN"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("0711\n0722\n");
    list.close();
    QFile applied(Applied_Exclusion_Path);
    ASSERT_TRUE(applied.open(QIODevice::WriteOnly));
    applied.write("Staff\n");
    applied.close();
    gsm->option(1)->click();  // Exclusion List
    EXPECT_EQ(shell.gsm().composer().exclusions().numbers(), (QStringList{"0711", "0722"}));
    EXPECT_EQ(shell.app().composer().exclusions().count(), 0) << "the other composer is untouched";

    ModalWalk stores(QList<Click>{{"Sent_Items", "closeButton"}, {"Templates", "closeButton"}});
    QTimer::singleShot(0, gsm->button(QStringLiteral("sentItemsButton")), &QPushButton::click);
    ASSERT_TRUE(
        spinUntil([&] { return stores.seen().size() == 1 && !QApplication::activeModalWidget(); }));
    QTimer::singleShot(0, gsm->button(QStringLiteral("templatesButton")), &QPushButton::click);
    ASSERT_TRUE(spinUntil([&] { return stores.finished() && !QApplication::activeModalWidget(); }))
        << stores.seen().join(", ").toStdString();
    EXPECT_EQ(stores.seen(), (QStringList{"Sent_Items", "Templates"}));

    dialogs_.expect(QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?"),
                    QStringLiteral("No"));
    EXPECT_FALSE(gsm->close());
    EXPECT_TRUE(gsm->isVisible());
    EXPECT_FALSE(shell.terminating());

    dialogs_.expect(QStringLiteral("exit 'Tesk SMS Linux Edition'"), QStringLiteral("Yes"));
    EXPECT_TRUE(gsm->close());
    EXPECT_TRUE(shell.terminating());
    shell.shutdown();
}

TEST_F(Shell, UnreachableResourceDirectoryEndsBeforeAnyWindow) {
    // A regular file where the resource directory should be: nothing can be created inside.
    const QString blocked = resources_.filePath("blocked");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("TESK_SMS_RESOURCE_DIR", blocked.toLocal8Bit());
    dialogs_.expectNotice(QStringLiteral("\nCan not access Tesk sms Data file."));
    AppShell shell;
    EXPECT_FALSE(shell.start());
    EXPECT_TRUE(shell.terminating());
    EXPECT_EQ(shell.composerWindow(tesk::kGsmMode), nullptr);
}

}  // namespace
