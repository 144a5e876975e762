// The one-by-one mode against the fake phone: one activity start per message, the file
// fallback, pauses, stop, a lost or silent phone, and what the stores record.
#include "android_sending_support.h"
#include "sending/sms_sending.h"

#include <QDir>
#include <QFileInfo>

namespace tesk::test {
namespace {

class OneByOneTest : public AndroidSendingTest {
  protected:
    void SetUp() override {
        AndroidSendingTest::SetUp();
        composer->Android_Sending_Mode(false);
    }
    // A new composer, controller and phone for the next row of a table.
    void freshRun() {
        newComposer();
        composer->Android_Sending_Mode(false);
        for (const QString& name : QDir(state->directory()).entryList(QDir::Files)) {
            QFile::remove(state->path(name));
        }
        QDir(state->path(fakeadb::kPhoneDir)).removeRecursively();
        QFile::remove(stores::Sent_Item_File(kAndroidMode));
        onePhone();
    }
    void addFive() {
        for (int i = 0; i < 5; ++i) {
            add(QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i));
        }
    }
};

// What the phone's shell makes of the extras is checked where the activity start is built; here
// the run's choice between the extra and the message file, and the records.
TEST_F(OneByOneTest, MessagesArriveExactlyAsTyped) {
    const struct {
        QString message;
        bool throughFile;  // non-English text goes as the message file and a number-only start
    } cases[] = {
        {QStringLiteral("one\ntwo; three & four | `five`"), false},
        {QStringLiteral("Привет, \"мир\" $HOME 😀"), true},
        // A blank row the user chose to send: the number-only start reads the file, which
        // holds this row's empty message, not what an earlier message left there.
        {QString(""), true},
    };
    QList<std::pair<QString, QString>> sent;
    for (const auto& c : cases) {
        sent.append({QStringLiteral("+4917000%1").arg(sent.size()), c.message});
        add(sent.last().first, c.message);
    }
    QFile stale(state->phonePath(QStringLiteral("/sdcard/") + android::kOneByOneFileName));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(stale).path()) && stale.open(QIODevice::WriteOnly));
    stale.write("an earlier message");
    stale.close();
    PhoneFileWatcher watcher(*state);
    dialogs.expect(QStringLiteral("have no text message"), QStringLiteral("Yes"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    const QList<QJsonObject> starts = state->activityStarts();
    const QList<QByteArray> files = watcher.at(android::kOneByOneFileName);
    ASSERT_EQ(starts.size(), 3);
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Extra(starts.at(i), QStringLiteral("NUM")), sent[i].first);
        EXPECT_EQ(
            starts.at(i).value(QStringLiteral("extras")).toObject().contains(QStringLiteral("MSG")),
            !cases[i].throughFile);
        EXPECT_EQ(cases[i].throughFile ? files.at(i)
                                       : Extra(starts.at(i), QStringLiteral("MSG")).toUtf8(),
                  cases[i].message.toUtf8());
    }
    EXPECT_FALSE(files.at(2).isNull());
    EXPECT_EQ(pushesOf(android::kOneByOneFileName), 2);
    EXPECT_EQ(sentItems(), records(sent));
    EXPECT_FALSE(QFile::exists(local(android::kOneByOneFileName)));
}

// The skip rules themselves are the Skip_Reasons table; here what the run makes of them, the
// cut to 1600 characters, and a stop answered "No" before the last item: the run goes on.
TEST_F(OneByOneTest, SkippedItemsAreNotSentAndAStopAnsweredNoGoesOn) {
    composer->Skip_Duplicate_Chk(true);
    composer->Set_Exclusion_Loader([](composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List({QStringLiteral("0179")});
    });
    composer->Exclusion_Chk(true);
    composer->Save_Templates_Chk(true);
    add(QStringLiteral("0170"), QStringLiteral("hello"));
    add(QStringLiteral("0179"), QStringLiteral("hello"));
    add(QStringLiteral("0170"), QStringLiteral("again"));
    add(QStringLiteral("0171"), QString(2000, QLatin1Char('x')));
    bool pressed = false;
    view.onSelectRow = [&](int row) {
        if (row == 3 && controller->running() && !pressed) {
            pressed = true;
            controller->Stop_Sending_Pressed();
        }
    };
    dialogs.expect(sending::kStopQuestion, QStringLiteral("No"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_TRUE(pressed);
    const QString cut(1600, QLatin1Char('x'));
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(Extra(starts.at(0), QStringLiteral("NUM")), QStringLiteral("0170"));
    EXPECT_EQ(Extra(starts.at(1), QStringLiteral("MSG")), cut);
    EXPECT_EQ(sentItems(), records({{"0170", "hello"}, {"0171", cut}}));
    EXPECT_EQ(stores::LoadItems_templates(Templates_Path), (QStringList{"hello", cut}));
    EXPECT_EQ(view.numberTexts, (QStringList{"0170", "0179", "0179" + sending::kIsExcluded, "0170",
                                             "0170" + sending::kIsSkipped, "0171"}));
}

TEST_F(OneByOneTest, PausesAfterEveryFifthMessageButNotAfterTheLast) {
    delayed(QStringLiteral("5"), QStringLiteral("10 Seconds"));
    for (int i = 0; i < 12; ++i) {
        add(QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i));
    }
    QList<int> startsAtPause;
    view.onPauseLabel = [&](const QString& text) {
        if (text == sending::Pause_Label(10000)) {
            startsAtPause.append(static_cast<int>(state->activityStarts().size()));
        }
    };
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(controller->pausesTaken(), 2);
    EXPECT_EQ(startsAtPause, (QList<int>{5, 10}));
    EXPECT_EQ(sentItems().size(), 12);
}

TEST_F(OneByOneTest, StopDuringAPauseEndsTheRunWithoutTheCompletionMessage) {
    delayed(QStringLiteral("1"), QStringLiteral("5  Seconds"));
    add(QStringLiteral("0170"), QStringLiteral("one"));
    add(QStringLiteral("0171"), QStringLiteral("two"));
    bool pressed = false;
    view.onPauseLabel = [&](const QString& text) {
        if (!pressed && text.startsWith(QStringLiteral("Pausing"))) {
            pressed = true;
            controller->Stop_Sending_Pressed();
        }
    };
    dialogs.expect(sending::kStopQuestion, QStringLiteral("Yes"));
    send();  // a completion message would fail the script
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(controller->stopped());
    EXPECT_EQ(state->activityStarts().size(), 1);
    EXPECT_EQ(sentItems(), records({{"0170", "one"}}));
}

// A phone lost after two starts (in old and in current adb words), lost while messages go
// through the file, or silent until the time-out ends the run with a connection error at once:
// only what the phone took is recorded, and nothing is asked about the message files.
TEST_F(OneByOneTest, LostOrSilentPhoneEndsTheRunWithDeviceConnectionError) {
    const struct {
        const char* name;
        fakeadb::AdbWording wording;
        bool unicode;  // every message through the file
        int taken;     // starts the phone takes before it is lost; -1: it never answers
    } cases[] = {{"old adb", fakeadb::AdbWording::Old, false, 2},
                 {"current adb", fakeadb::AdbWording::Current, false, 2},
                 {"file fallback", fakeadb::AdbWording::Current, true, 1},
                 {"silent", fakeadb::AdbWording::Current, false, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        freshRun();
        // Short time-outs for the silent phone: a start gives up after 1.8 s.
        pacing::ScopedScale scale{c.taken < 0 ? 0.03 : kAndroidTimeScale};
        state->setWording(c.wording);
        composer->Unicode_Chk(c.unicode);
        if (c.taken < 0) {
            state->setHang({QStringLiteral("shell")});
        } else {
            state->setLoseAfterStarts(c.taken);
        }
        addFive();
        QList<std::pair<QString, QString>> taken;
        for (int i = 0; i < c.taken; ++i) {
            taken.append({QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i)});
        }
        dialogs.expectNotice(sending::kDeviceConnectionError);
        send();
        // adb's own words told at once: no message file was tried for a phone that is gone.
        EXPECT_EQ(pushesOf(android::kOneByOneFileName), c.unicode ? c.taken : 0);
        EXPECT_EQ(sentItems(), records(taken));
        EXPECT_TRUE(view.events.isEmpty());
        EXPECT_TRUE(controller->aborted());
    }
}

// Nothing reached the phone: the run does not end as "completed", it says what happened.
TEST_F(OneByOneTest, FullStorageAsksPerMessageUnlessSkippedForAll) {
    const struct {
        const char* name;
        int answer;
        bool skipForAll;
        int dialogs;  // File_Creation_Fail shown
        bool stops;
    } cases[] = {
        {"skip_each", 1, false, 3, false},
        {"skip_for_all", 1, true, 1, false},
        {"stop", 0, false, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        freshRun();
        composer->Unicode_Chk(true);
        state->setStorageFull(true);
        add(QStringLiteral("0170"), QStringLiteral("one"));
        add(QStringLiteral("0171"), QStringLiteral("two"));
        add(QStringLiteral("0172"), QStringLiteral("three"));
        view.storageFailAnswer = c.answer;
        view.storageFailSkipAll = c.skipForAll;
        if (!c.stops) {
            dialogs.expectNotice(sending::One_By_One_End_Message(3, 0));
        }
        send();  // the script fails on any other message
        EXPECT_EQ(view.events.count(QStringLiteral("dialog:File_Creation_Fail")), c.dialogs);
        EXPECT_EQ(controller->stopped(), c.stops);
        EXPECT_TRUE(state->activityStarts().isEmpty());
        EXPECT_TRUE(sentItems().isEmpty());
    }
}

TEST(OneByOneEndTest, CompletedOnlyWhenEveryTriedMessageReachedThePhone) {
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
        {1, 0,
         "No message was handed to the phone: the message could not be stored on it and was "
         "skipped.\n\nCheck that the phone is unlocked and its storage is not full, then send "
         "again."},
        {3, 0,
         "No message was handed to the phone: none of the 3 messages could be stored on it, and "
         "each was skipped.\n\nCheck that the phone is unlocked and its storage is not full, "
         "then send again."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sending::One_By_One_End_Message(c.attempted, c.handedOver), c.message)
            << c.attempted << " " << c.handedOver;
    }
}

// The message file reached the phone but the companion did not start: that is not a storage
// problem, and the next start would fail the same way.
TEST_F(OneByOneTest, CompanionThatDoesNotStartEndsTheRunSayingSo) {
    state->setActivityAnswer(
        QStringLiteral("Error: Activity class {com.VUVEZAZUREVAVU/"
                       "com.VUVEZAZUREVAVU.SMS} does not exist.\n"));
    add(QStringLiteral("0170"), QStringLiteral("one"));
    add(QStringLiteral("0171"), QStringLiteral("two"));
    dialogs.expectNotice(android::Companion_Not_Started_Message(
        QStringLiteral("the message to 0170 and those after it were not sent")));
    send();
    // The extra twice (both ways of writing it), then the file and a number-only start.
    EXPECT_EQ(state->activityStarts().size(), 3);
    EXPECT_EQ(pushesOf(android::kOneByOneFileName), 1);
    EXPECT_TRUE(view.events.isEmpty());
    EXPECT_TRUE(sentItems().isEmpty());
}

}  // namespace
}  // namespace tesk::test
