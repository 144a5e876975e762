// The Android sending modes against the fake phone: the Send button's checks in order, one run
// at a time, the single-shot message file, the one-by-one starts with their file fallback,
// pauses, stop, a lost, silent or full phone, and what the stores record. How the phone reads an
// activity start or a message file is the android suite's; here is what the run hands over.
#include "sending/android_sending.h"
#include "android/android_test_support.h"
#include "appstate/selection_state.h"
#include "composer/composer_controller.h"
#include "sending/send_job.h"
#include "sending/sms_sending.h"
#include "stores/sent_items.h"
#include "stores/templates.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace tesk::test {
namespace {

using sending::ListMessageChoice;

struct RecordingSendView final : sending::AndroidSendView {
    ListMessageChoice runListMessageDialog() override {
        ++listDialogs;
        return listAnswer;
    }
    void focusNumberField() override {}
    void focusDelayedChoice(bool) override {}
    void setNumberFieldEnabled(bool) override {}
    void redrawList() override {}
    void selectListRow(int row) override { onSelectRow(row); }
    void showOneByOneMode() override { events << QStringLiteral("radios"); }
    void showSingleShotSheet(const QString&) override {}
    void setSingleShotStatus(const QString&) override {}
    void setSingleShotBar(int) override {}
    void closeSingleShotSheet() override {}
    int runFileCreationFailSS() override {
        events << QStringLiteral("ss");
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
    void setPauseLabel(const QString& text) override { onPauseLabel(text); }
    void closeSendSheet() override {}
    int runFileCreationFail(bool* skipForAll) override {
        events << QStringLiteral("one");
        *skipForAll = storageFailSkipAll;
        return storageFailAnswer;
    }

    ListMessageChoice listAnswer = ListMessageChoice::Continue;
    std::function<void(int)> onSelectRow = [](int) {};
    std::function<void(const QString&)> onPauseLabel = [](const QString&) {};
    int storageFailSSAnswer = 0;
    int storageFailAnswer = 1;
    bool storageFailSkipAll = false;
    int listDialogs = 0;
    QStringList events;
    QStringList numberTexts;
};

// Polls the fake phone: whenever another activity start was logged, it copies the message files
// as the companion would read them at that start (the run deletes them before it ends).
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
        for (int seen = 0; !done_; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
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
        }
    }

    const fakeadb::FakeAdbState& state_;
    mutable std::mutex mutex_;
    QList<QByteArray> messageFile_;
    QList<QByteArray> oneByOneFile_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

QString Extra(const QJsonObject& start, const QString& key) {
    return start.value(QStringLiteral("extras")).toObject().value(key).toString();
}

const QString kPhoneLabel = QStringLiteral("Android Device 0123ABCD");

class AndroidSendingTest : public AndroidTest {
  protected:
    void SetUp() override {
        AndroidTest::SetUp();
        sel_port_bsd_str.set(QStringLiteral("0123ABCD"));
        sel_port_name_str.set(kPhoneLabel);
        andcntr = 1;  // the once-per-run warning; the test that looks at it resets it
        freshRun(true);
    }
    void TearDown() override {
        controller.reset();
        composer.reset();
        AndroidTest::TearDown();
    }
    // A new composer, controller (with a fresh view) and phone, in one-by-one mode unless told
    // otherwise.
    void freshRun(bool singleShot = false) {
        controller.reset();
        composer = std::make_unique<composer::ComposerController>(composer::ComposerKind::Android);
        composer->Android_Sending_Mode(singleShot);
        composer->Save_Sent_Item_Chk(true);
        view = RecordingSendView();
        controller = std::make_unique<sending::Send_SMS_Func_Android>(*composer, &view);
        for (const QString& name : QDir(state->directory()).entryList(QDir::Files)) {
            QFile::remove(state->path(name));
        }
        QDir(state->path(fakeadb::kPhoneDir)).removeRecursively();
        QFile::remove(stores::Sent_Item_File(kAndroidMode));
        onePhone();
    }
    void add(const QString& number, const QString& message) {
        composer->Create_Num_Msg_List(number, message);
    }
    // Numbers 017000, 017001, ... with their messages; returns them in order.
    QList<std::pair<QString, QString>> addNumbered(int count) {
        QList<std::pair<QString, QString>> items;
        for (int i = 0; i < count; ++i) {
            items.append({QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i)});
            add(items.last().first, items.last().second);
        }
        return items;
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
    // Puts the built companion package into the resource directory in place of the stand-in
    // bytes; false when there is none.
    bool useBuiltCompanion() {
        const QString built = Built_Companion();
        const QString target = resource.filePath(android::kCompanionPackage);
        return !built.isEmpty() && QFile::remove(target) && QFile::copy(built, target);
    }
    QByteArray packageBytes() const {
        QFile file(resource.filePath(android::kCompanionPackage));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// Each check stops the send with its one message, in order: every later check fails too until
// the last, so the first one decides. Nothing is started and adb is not called.
TEST_F(AndroidSendingTest, EachCheckStopsTheSendWithItsMessageInOrder) {
    const auto refused = [&](const QString& label, const QString& message) {
        SCOPED_TRACE(message.toStdString());
        dialogs.expectNotice(message);
        EXPECT_FALSE(controller->Send_SMS_Btn(label));
        EXPECT_EQ(dialogs.pending(), 0);
    };
    const QString noDelayed =
        QStringLiteral("No values have been selected in 'Delayed Delivery Options'.");
    sel_port_bsd_str.set(QString(""));
    composer->controlTextDidChange(QStringLiteral(" 0170 "));
    delayed(QString(), QStringLiteral(" 2  Minutes"));
    refused(kPhoneLabel, sending::kNoDeviceForSending);
    sel_port_bsd_str.set(QStringLiteral("0123ABCD"));
    refused(kNoDeviceSelected, sending::kNoDeviceForSending);
    refused(kPhoneLabel, QStringLiteral("Please insert entered number to the list."));
    composer->controlTextDidChange(QString());
    refused(kPhoneLabel, QStringLiteral("Phone numbers-Messages list is empty."));
    add(QStringLiteral("0170"), QString());
    add(QStringLiteral("0171"), QString());
    refused(kPhoneLabel, noDelayed);
    delayed(QStringLiteral("15"), QString());
    refused(kPhoneLabel, noDelayed);
    composer->Delayed_Delivry_Chk(false);
    refused(kPhoneLabel, sending::kNoTextForAnyContact);
    EXPECT_TRUE(state->calls().isEmpty());
}

// Per row of the list 0170, 0179 (excluded), 0170, 0179, +170, 0170, with the two options:
// '-' sent, 'E' excluded, 'D' skipped as an earlier number's duplicate.
TEST(AndroidSkipRule, ExclusionFirstThenEarlierSameNumber) {
    using Skip = sending::Send_SMS_Func_Android::Skip;
    const QList<composer::ListItem> list = {{"0170", "a"}, {"0179", "b"}, {"0170", "c"},
                                            {"0179", "d"}, {"+170", "e"}, {"0170", "f"}};
    const struct {
        bool skipDuplicate;
        bool exclusion;
        const char* expected;
    } cases[] = {{false, true, "-E-E--"}, {true, false, "--DD-D"}, {true, true, "-EDE-D"}};
    for (const auto& c : cases) {
        composer::ComposerOptions options;
        options.skipDuplicate = c.skipDuplicate;
        options.exclusion = c.exclusion;
        QList<Skip> expected;
        for (const char* k = c.expected; *k; ++k) {
            expected.append(*k == 'E' ? Skip::Excluded : *k == 'D' ? Skip::Duplicate : Skip::None);
        }
        EXPECT_EQ(sending::Send_SMS_Func_Android::Skip_Reasons(list, options, {"0179"}), expected)
            << c.expected;
    }
}

// A cancelled or passed-over list-message dialog never lets a row go out empty by itself: the
// dialog comes again while rows are blank, and only a yes to the blank-row question sends them.
// The first run warns about the phone's security feature, once; a Send during a run does nothing.
// Each run's message file holds every kept item once, cut to 1600 characters, and each is
// recorded. With the companion package the build made, when there is one: the phone gets exactly
// that package.
TEST_F(AndroidSendingTest, SingleShotSendsBlankRowsOnlyAfterAYesAndEachKeptItemOnce) {
    const bool builtCompanion = useBuiltCompanion();
    andcntr = 0;
    composer->Skip_Duplicate_Chk(true);
    composer->Save_Templates_Chk(true);
    const QString longText = QString(1999, QLatin1Char('a')) + QLatin1Char('z');
    const QString cut = longText.left(1600);
    const QString twoLines = QStringLiteral("line one\nline two");
    add(QStringLiteral("0170"), QString());
    add(QStringLiteral("0171"), twoLines);
    add(QStringLiteral("0172"), longText);
    add(QStringLiteral("0171"), QStringLiteral("duplicate"));
    composer->textDidChange(QStringLiteral("Hello"));
    view.listAnswer = ListMessageChoice::Cancel;
    EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
    view.listAnswer = ListMessageChoice::Continue;
    const QString blankRows =
        QStringLiteral("1 of the 4 contacts in the list have no text message");
    dialogs.expect(blankRows, QStringLiteral("No"));
    EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
    EXPECT_TRUE(state->calls().isEmpty());
    PhoneFileWatcher watcher(*state);
    for (int run = 0; run < 2; ++run) {
        dialogs.expect(blankRows, QStringLiteral("Yes"));
        if (run == 0) {
            dialogs.expectNotice(sending::kSendingSecurityWarning);
        }
        dialogs.expectNotice(android::kSendingCompleted);
        ASSERT_TRUE(controller->Send_SMS_Btn(kPhoneLabel));
        EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
        controller->Wait_For_Run();
    }
    EXPECT_EQ(view.listDialogs, 4);
    const QList<std::pair<QString, QString>> kept = {
        {"0170", ""}, {"0171", twoLines}, {"0172", cut}};
    QByteArray file;
    for (const auto& [number, message] : kept) {
        file += android::Message_File_Record(number, message).toUtf8();
    }
    // The companion reads whatever file it finds: with every item excluded the phone still gets
    // an empty file, not what an earlier run left there, and no copy stays behind.
    composer->Set_Exclusion_Loader([](composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List(
            {QStringLiteral("0170"), QStringLiteral("0171"), QStringLiteral("0172")});
    });
    composer->Exclusion_Chk(true);
    state->putPhoneFile(QStringLiteral("/sdcard/") + android::kMessageFileName, "stale");
    dialogs.expect(blankRows, QStringLiteral("Yes"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(watcher.at(android::kMessageFileName), (QList<QByteArray>{file, file, ""}));
    EXPECT_FALSE(QFile::exists(local(android::kMessageFileName)));
    EXPECT_EQ(sentItems(), records(kept) + records(kept));
    EXPECT_EQ(stores::LoadItems_templates(Templates_Path), (QStringList{twoLines, cut}));
    EXPECT_EQ(state->installedPackage(), packageBytes());
    EXPECT_EQ(state->installedPackage().startsWith("PK\x03\x04"), builtCompanion);
}

// What a one-by-one run hands over: plain text as the start's extra, non-English text as the
// message file and a number-only start; so does a blank row the user chose to send, whose file
// holds its empty message, not what an earlier message left there. The skip rules themselves are
// the Skip_Reasons table; here what the run makes of them, the cut to 1600 characters, and a
// stop answered "No": the run goes on.
TEST_F(AndroidSendingTest, OneByOneHandsOverEachKeptMessageExactlyAsTyped) {
    freshRun();
    composer->Skip_Duplicate_Chk(true);
    composer->Set_Exclusion_Loader([](composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List({QStringLiteral("0179")});
    });
    composer->Exclusion_Chk(true);
    composer->Save_Templates_Chk(true);
    const QString typed = QStringLiteral("one\ntwo; three & four | `five`");
    const QString foreign = QStringLiteral("Привет, \"мир\" $HOME 😀");
    const QString cut(1600, QLatin1Char('x'));
    add(QStringLiteral("0170"), typed);
    add(QStringLiteral("0179"), QStringLiteral("hello"));
    add(QStringLiteral("0170"), QStringLiteral("again"));
    add(QStringLiteral("0171"), QString(2000, QLatin1Char('x')));
    add(QStringLiteral("0172"), foreign);
    add(QStringLiteral("0173"), QString());
    bool pressed = false;
    view.onSelectRow = [&](int row) {
        if (row == 3 && controller->running() && !pressed) {
            pressed = true;
            controller->Stop_Sending_Pressed();
        }
    };
    state->putPhoneFile(QStringLiteral("/sdcard/") + android::kOneByOneFileName, "earlier");
    PhoneFileWatcher watcher(*state);
    dialogs.expect(QStringLiteral("have no text message"), QStringLiteral("Yes"));
    dialogs.expect(sending::kStopQuestion, QStringLiteral("No"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_TRUE(pressed);
    const QList<std::pair<QString, QString>> sent = {
        {"0170", typed}, {"0171", cut}, {"0172", foreign}, {"0173", ""}};
    const QList<QJsonObject> starts = state->activityStarts();
    const QList<QByteArray> files = watcher.at(android::kOneByOneFileName);
    ASSERT_EQ(starts.size(), 4);
    ASSERT_EQ(files.size(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const bool throughFile = i >= 2;
        const QJsonObject extras = starts.at(i).value(QStringLiteral("extras")).toObject();
        EXPECT_EQ(extras.value(QStringLiteral("NUM")).toString(), sent[i].first);
        EXPECT_EQ(extras.contains(QStringLiteral("MSG")), !throughFile);
        EXPECT_EQ(
            throughFile ? files.at(i) : extras.value(QStringLiteral("MSG")).toString().toUtf8(),
            sent[i].second.toUtf8());
    }
    EXPECT_FALSE(files.at(3).isNull());
    EXPECT_EQ(pushesOf(android::kOneByOneFileName), 2);
    EXPECT_EQ(sentItems(), records(sent));
    EXPECT_EQ(stores::LoadItems_templates(Templates_Path), (QStringList{typed, cut, foreign}));
    EXPECT_EQ(view.numberTexts,
              (QStringList{"0170", "0179", "0179" + sending::kIsExcluded, "0170",
                           "0170" + sending::kIsSkipped, "0171", "0172", "0173"}));
    EXPECT_FALSE(QFile::exists(local(android::kOneByOneFileName)));
}

// A pause after every fifth message but not after the last; a stop during a pause ends the run
// there, without the completion message.
TEST_F(AndroidSendingTest, OneByOnePausesAfterEveryNthMessageAndStopEndsAPause) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "to the end");
        freshRun();
        delayed(QStringLiteral("5"), QStringLiteral("10 Seconds"));
        addNumbered(stop ? 6 : 12);
        QList<int> startsAtPause;
        view.onPauseLabel = [&](const QString& text) {
            if (text == sending::Pause_Label(10000)) {
                startsAtPause.append(static_cast<int>(state->activityStarts().size()));
                if (stop) {
                    controller->Stop_Sending_Pressed();
                }
            }
        };
        dialogs.expect(stop ? sending::kStopQuestion : android::kSendingCompleted,
                       stop ? QStringLiteral("Yes") : QStringLiteral("OK"));
        send();
        EXPECT_EQ(startsAtPause, (stop ? QList<int>{5} : QList<int>{5, 10}));
        EXPECT_EQ(sentItems().size(), stop ? 5 : 12);
        EXPECT_EQ(controller->stopped(), stop);
    }
}

// A phone not ready when Send is pressed, lost after two starts, lost while messages go through
// the file, silent until the time-out, or whose companion does not start (the message file reached
// it; the next start would fail the same way): the run ends at once saying why, only what the
// phone took is recorded, and nothing is asked about the message files.
TEST_F(AndroidSendingTest, OneByOneLostSilentOrUnstartablePhoneEndsTheRun) {
    const QString notStarted = android::Companion_Not_Started_Message(
        QStringLiteral("the message to 017000 and those after it were not sent"));
    const struct {
        const char* name;
        bool unicode;  // every message through the file
        int taken;  // starts the phone takes; -1: it never answers, -2: no companion, -3: not ready
        QString message;
    } cases[] = {{"not ready", false, -3, sending::kNoDeviceForSending},
                 {"lost", false, 2, sending::kDeviceConnectionError},
                 {"file fallback", true, 1, sending::kDeviceConnectionError},
                 {"silent", false, -1, sending::kDeviceConnectionError},
                 {"no companion", false, -2, notStarted}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        freshRun();
        // Short time-outs for the silent phone: a start gives up after 1.8 s.
        pacing::ScopedScale scale{c.taken == -1 ? 0.03 : kAndroidTimeScale};
        composer->Unicode_Chk(c.unicode);
        if (c.taken == -1) {
            state->setHang({QStringLiteral("shell")});
        } else if (c.taken == -3) {
            state->setListing(fakeadb::kDefaultListing);
        } else if (c.taken == -2) {
            state->setActivityAnswer(
                QStringLiteral("Error: Activity class {com.VUVEZAZUREVAVU/"
                               "com.VUVEZAZUREVAVU.SMS} does not exist.\n"));
        } else {
            state->setLoseAfterStarts(c.taken);
        }
        const auto items = addNumbered(5);
        dialogs.expectNotice(c.message);
        send();
        // adb's own words told at once: no message file was tried for a phone that is gone.
        EXPECT_EQ(pushesOf(android::kOneByOneFileName), c.unicode ? c.taken : c.taken == -2);
        EXPECT_EQ(sentItems(), records(items.mid(0, std::max(c.taken, 0))));
        EXPECT_TRUE(view.events.isEmpty());
    }
}

// A message file the phone could not store (its storage is full, or the push hangs until its
// time-out). Single-shot: the user goes on one by one in the same run, or nothing is sent.
// One-by-one (every message through the file): each message is asked about unless skipped for
// all, or the run stops; as nothing reached the phone, the run does not end as "completed".
TEST_F(AndroidSendingTest, StorageFailureAsksAndSendsOnlyWhatThePhoneTook) {
    const QString nothing = sending::One_By_One_End_Message(3, 0);
    const struct {
        bool singleShot;
        bool hang;
        int answer;  // single-shot: 1 goes one by one; one-by-one: 1 skips, 0 stops
        bool skipForAll;
        QStringList events;  // the questions asked and the mode shown
        QString end;         // the message the run ends with
    } cases[] = {
        {true, false, 1, false, {"ss", "radios"}, android::kSendingCompleted},
        {true, false, 0, false, {"ss"}, ""},
        {true, true, 0, false, {"ss"}, ""},
        {false, false, 1, false, {"one", "one", "one"}, nothing},
        {false, false, 1, true, {"one"}, nothing},
        {false, false, 0, false, {"one"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.events.join(' ').toStdString() + (c.hang ? " hang" : ""));
        freshRun(c.singleShot);
        composer->Unicode_Chk(!c.singleShot);
        // Short time-outs for the hanging push: it may take 5.4 s, any other call 1.8 s.
        pacing::ScopedScale shortTimeOuts{c.hang ? 0.03 : kAndroidTimeScale};
        state->setStorageFull(!c.hang);
        state->setHang(c.hang ? QStringList{QStringLiteral("push")} : QStringList{});
        addNumbered(3);
        view.storageFailSSAnswer = c.answer;
        view.storageFailAnswer = c.answer;
        view.storageFailSkipAll = c.skipForAll;
        if (!c.end.isEmpty()) {
            dialogs.expectNotice(c.end);
        }
        send();  // the script fails on any other message
        EXPECT_EQ(view.events, c.events);
        QStringList messages;
        for (const QJsonObject& start : state->activityStarts()) {
            messages.append(Extra(start, QStringLiteral("MSG")));
        }
        const bool sent = c.events.size() == 2 && c.singleShot;
        EXPECT_EQ(messages,
                  (sent ? QStringList{"message 0", "message 1", "message 2"} : QStringList()));
        EXPECT_EQ(sentItems().size(), messages.size());
        EXPECT_EQ(controller->stopped(), !c.singleShot && c.answer == 0);
    }
}

TEST(OneByOneEndTest, CompletedOnlyWhenEveryTriedMessageReachedThePhone) {
    const QString none =
        "No message was handed to the phone: %1.\n\nCheck that the phone is "
        "unlocked and its storage is not full, then send again.";
    const struct {
        int attempted;
        int handedOver;
        QString message;
    } cases[] = {
        {3, 3, android::kSendingCompleted},
        {0, 0, android::kSendingCompleted},  // every item excluded
        {5, 3,
         android::kSendingCompleted + "\n\n2 of 5 messages could not be stored on the phone and "
                                      "were skipped; they were not sent."},
        {1, 0, none.arg("the message could not be stored on it and was skipped")},
        {3, 0, none.arg("none of the 3 messages could be stored on it, and each was skipped")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sending::One_By_One_End_Message(c.attempted, c.handedOver), c.message)
            << c.attempted << " " << c.handedOver;
    }
}

}  // namespace
}  // namespace tesk::test
