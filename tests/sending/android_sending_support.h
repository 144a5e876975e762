#pragma once
// Sending-mode tests: the Android composer, the send controller, a view that records what the
// sheets show, and a watcher that keeps what the phone's message files held at each activity
// start (the run deletes them from the phone before it ends).
#include "android/android_test_support.h"
#include "composer/composer_controller.h"
#include "sending/android_sending.h"
#include "stores/sent_items.h"
#include "stores/templates.h"

#include <QJsonObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace tesk::test {

struct RecordingSendView final : sending::AndroidSendView {
    sending::ListMessageChoice runListMessageDialog() override {
        ++listDialogs;
        if (listAnswer == sending::ListMessageChoice::Applied && onApply) {
            onApply();
        }
        return listAnswer;
    }
    void focusNumberField() override { events << QStringLiteral("focus:number"); }
    void focusDelayedChoice(bool countChoice) override {
        events << (countChoice ? QStringLiteral("focus:count") : QStringLiteral("focus:pause"));
    }
    void setNumberFieldEnabled(bool) override {}
    void redrawList() override {}
    void selectListRow(int row) override {
        if (onSelectRow) {
            onSelectRow(row);
        }
    }
    void showOneByOneMode() override { events << QStringLiteral("radios:one-by-one"); }
    void showSingleShotSheet(const QString&) override {}
    void setSingleShotStatus(const QString&) override {}
    void setSingleShotBar(int) override {}
    void closeSingleShotSheet() override {}
    int runFileCreationFailSS() override {
        events << QStringLiteral("dialog:File_Creation_Fail_SS");
        return storageFailSSAnswer;
    }
    void showSendSheet(int, const QString&) override {}
    void setStopEnabled(bool) override {}
    void setProgressPartsVisible(bool) override {}
    void setTotalBar(int) override {}
    void setCurrentBar(int) override {}
    void setCurrentCountLabel(const QString&) override {}
    void setCurrentNumber(const QString& text) override { numberTexts.append(text); }
    void setNumberPartsVisible(bool) override {}
    void setPauseLabel(const QString& text) override {
        if (onPauseLabel) {
            onPauseLabel(text);
        }
    }
    void closeSendSheet() override {}
    int runFileCreationFail(bool* skipForAll) override {
        events << QStringLiteral("dialog:File_Creation_Fail");
        *skipForAll = storageFailSkipAll;
        return storageFailAnswer;
    }

    sending::ListMessageChoice listAnswer = sending::ListMessageChoice::Continue;
    std::function<void()> onApply;
    std::function<void(int)> onSelectRow;
    std::function<void(const QString&)> onPauseLabel;
    int storageFailSSAnswer = 0;
    int storageFailAnswer = 1;
    bool storageFailSkipAll = false;
    int listDialogs = 0;
    QStringList events;
    QStringList numberTexts;
};

// Polls the fake phone: whenever another activity start was logged, it copies the message files
// as the companion would read them at that start.
class PhoneFileWatcher {
  public:
    explicit PhoneFileWatcher(const fakeadb::FakeAdbState& state) : state_(state) {
        thread_ = std::thread([this] { loop(); });
    }
    ~PhoneFileWatcher() {
        done_ = true;
        thread_.join();
    }
    // What `fileName` in /sdcard held at each start (null when it was not there).
    QList<QByteArray> at(const QString& fileName) const {
        std::lock_guard lock(mutex_);
        return fileName == android::kMessageFileName ? messageFile_ : oneByOneFile_;
    }

  private:
    QByteArray read(const QString& name) const {
        QFile file(state_.phonePath(QStringLiteral("/sdcard/") + name));
        if (!file.open(QIODevice::ReadOnly)) {
            return QByteArray();
        }
        QByteArray bytes = file.readAll();
        return bytes.isNull() ? QByteArray("") : bytes;
    }
    void loop() {
        int seen = 0;
        while (!done_) {
            const int starts = state_.text(fakeadb::kStartsCount).trimmed().toInt();
            if (starts > seen) {
                const QByteArray single = read(android::kMessageFileName);
                const QByteArray oneByOne = read(android::kOneByOneFileName);
                std::lock_guard lock(mutex_);
                for (; seen < starts; ++seen) {
                    messageFile_.append(single);
                    oneByOneFile_.append(oneByOne);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    const fakeadb::FakeAdbState& state_;
    mutable std::mutex mutex_;
    QList<QByteArray> messageFile_;
    QList<QByteArray> oneByOneFile_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

inline QString Extra(const QJsonObject& start, const QString& key) {
    return start.value(QStringLiteral("extras")).toObject().value(key).toString();
}

inline const QString kPhoneLabel = QStringLiteral("Android Device 0123ABCD");

class AndroidSendingTest : public AndroidTest {
  protected:
    void SetUp() override {
        AndroidTest::SetUp();
        onePhone();
        sel_port_bsd_str.set(QStringLiteral("0123ABCD"));
        sel_port_name_str.set(kPhoneLabel);
        andcntr = 1;  // the once-per-run warning; the test that looks at it resets it
        newComposer();
    }
    // A new composer and Send controller, with a fresh view, for the next row of a table.
    void newComposer() {
        controller.reset();
        composer = std::make_unique<composer::ComposerController>(composer::ComposerKind::Android);
        view = RecordingSendView();
        controller = std::make_unique<sending::Send_SMS_Func_Android>(*composer, &view);
        composer->Save_Sent_Item_Chk(true);
    }
    void TearDown() override {
        controller.reset();
        composer.reset();
        AndroidTest::TearDown();
    }

    void add(const QString& number, const QString& message) {
        composer->Create_Num_Msg_List(number, message);
    }
    void delayed(const QString& count, const QString& pause) {
        composer->Delayed_Delivry_Chk(true);
        composer->Delayed_Choices(
            true,
            static_cast<int>(composer::ComposerController::Delayed_Count_Entries().indexOf(count)),
            static_cast<int>(composer::ComposerController::Delayed_Pause_Entries().indexOf(pause)));
    }
    // Presses Send and waits for the run to end.
    void send() {
        ASSERT_TRUE(controller->Send_SMS_Btn(kPhoneLabel));
        controller->Wait_For_Run();
    }
    QList<stores::SentItem> sentItems() const {
        return stores::LoadItems_Sent_Items(stores::Sent_Item_File(kAndroidMode));
    }
    // Sent items of these numbers with these messages, recorded today.
    QList<stores::SentItem> records(const QList<std::pair<QString, QString>>& items) const {
        QList<stores::SentItem> list;
        for (const auto& [number, message] : items) {
            list.append({number, message, pacing::today().toString("dd/MM/yyyy"), ""});
        }
        return list;
    }
    int pushesOf(const QString& fileName) const {
        int pushes = 0;
        for (const QStringList& call : state->callsOf(QStringLiteral("push"))) {
            pushes += call.value(2).endsWith(QLatin1Char('/') + fileName) ? 1 : 0;
        }
        return pushes;
    }

    ScriptedDialogs dialogs;
    RecordingSendView view;
    std::unique_ptr<composer::ComposerController> composer;
    std::unique_ptr<sending::Send_SMS_Func_Android> controller;
};

}  // namespace tesk::test
