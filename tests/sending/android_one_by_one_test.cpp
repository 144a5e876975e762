// The one-by-one mode against the fake phone: one activity start per message, the file
// fallback, pauses, stop, a lost or silent phone, and what the stores record.
#include "android_sending_support.h"
#include "sending/sms_sending.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tesk::test {
namespace {

class OneByOneTest : public AndroidSendingTest {
  protected:
    void SetUp() override {
        AndroidSendingTest::SetUp();
        oneByOne();
        composer->Save_Sent_Item_Chk(true);
    }
    // A new composer, controller and phone for the next row of a table.
    void freshRun() {
        newComposer();
        oneByOne();
        composer->Save_Sent_Item_Chk(true);
        for (const QString& name : QDir(state->directory()).entryList(QDir::Files)) {
            QFile::remove(state->path(name));
        }
        QDir(state->path(fakeadb::kPhoneDir)).removeRecursively();
        QFile::remove(stores::Sent_Item_File(kAndroidMode));
        onePhone();
    }
};

struct ExactCase {
    const char* name;
    QString message;
    bool throughFile;  // non-English text goes as "message.txt" and a number-only start
};

// What the phone's shell makes of the extras is checked row by row where the activity start is
// built; here the run's choice between the extra and the message file, and the records.
TEST_F(OneByOneTest, MessagesArriveExactlyAsTyped) {
    const QList<ExactCase> cases = {
        {"line_breaks", QStringLiteral("one\ntwo; three & four | `five`"), false},
        {"emoji", QStringLiteral("Happy birthday 🎂😀"), true},
        {"cyrillic", QStringLiteral("Привет, \"мир\" $HOME"), true},
        // A blank row the user chose to send: the number-only start reads the file, which
        // holds this row's empty message, not what an earlier message left there.
        {"blank", QString(""), true},
    };
    for (int i = 0; i < cases.size(); ++i) {
        add(QStringLiteral("+4917000%1").arg(i), cases.at(i).message);
    }
    {
        QFile stale(state->phonePath(QStringLiteral("/sdcard/") + android::kOneByOneFileName));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(stale).path()) && stale.open(QIODevice::WriteOnly));
        stale.write("an earlier message");
    }
    PhoneFileWatcher watcher(*state);
    dialogs.expect(QStringLiteral("have no text message"), QStringLiteral("Yes"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    const QList<QJsonObject> starts = state->activityStarts();
    const QList<QByteArray> files = watcher.at(android::kOneByOneFileName);
    ASSERT_EQ(starts.size(), cases.size());
    ASSERT_EQ(files.size(), cases.size());
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases.at(i).name);
        EXPECT_EQ(Extra(starts.at(i), QStringLiteral("NUM")), QStringLiteral("+4917000%1").arg(i));
        if (cases.at(i).throughFile) {
            EXPECT_FALSE(Has_Extra(starts.at(i), QStringLiteral("MSG")));
            EXPECT_FALSE(files.at(i).isNull());
            EXPECT_EQ(files.at(i), cases.at(i).message.toUtf8());
        } else {
            EXPECT_EQ(Extra(starts.at(i), QStringLiteral("MSG")), cases.at(i).message);
        }
    }
    EXPECT_EQ(pushesOf(android::kOneByOneFileName), 3);
    QList<stores::SentItem> expected;
    for (int i = 0; i < cases.size(); ++i) {
        expected.append({QStringLiteral("+4917000%1").arg(i), cases.at(i).message, today(), ""});
    }
    EXPECT_EQ(sentItems(), expected);
    EXPECT_FALSE(QFile::exists(local(android::kOneByOneFileName)));
}

TEST_F(OneByOneTest, SheetShowsEachItemSkipsDuplicatesAndExclusionsAndAStopAnsweredNo) {
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
    // Stop answered "No" before the last item: the run goes on.
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
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(Extra(starts.at(0), QStringLiteral("NUM")), QStringLiteral("0170"));
    EXPECT_EQ(Extra(starts.at(1), QStringLiteral("MSG")), QString(1600, QLatin1Char('x')));
    EXPECT_EQ(sentItems(),
              (QList<stores::SentItem>{{"0170", "hello", today(), ""},
                                       {"0171", QString(1600, QLatin1Char('x')), today(), ""}}));
    EXPECT_EQ(templates(), (QStringList{"hello", QString(1600, QLatin1Char('x'))}));
    EXPECT_EQ(view.events.first(), QStringLiteral("send:show:4:4"));
    EXPECT_EQ(view.countLabels, (QStringList{sending::kInitializingDevice, "1 / 4 Message",
                                             "2 / 4 Message", "3 / 4 Message", "4 / 4 Message"}));
    EXPECT_EQ(view.numberTexts, (QStringList{"0170", "0179", "0179 is Excluded.", "0170",
                                             "0170 is Skipped.", "0171"}));
    EXPECT_EQ(view.totalBar, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(view.stopEnabled, (QList<bool>{false, true}));
    EXPECT_EQ(view.selectedRows, (QList<int>{0, 0, 1, 2, 3}));  // row 0 also by the checks
    EXPECT_FALSE(view.sendSheetOpen);
    EXPECT_EQ(controller->pausesTaken(), 0);
}

TEST_F(OneByOneTest, PausesAfterEveryFifthMessageButNotAfterTheLast) {
    delayed(QStringLiteral("5"), QStringLiteral("10 Seconds"));
    for (int i = 0; i < 12; ++i) {
        add(QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i));
    }
    QList<int> startsAtPause;
    view.onPauseLabel = [&](const QString& text) {
        if (text == QStringLiteral("Pausing the process for 10 Seconds.")) {
            startsAtPause.append(static_cast<int>(state->activityStarts().size()));
        }
    };
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(controller->pausesTaken(), 2);
    EXPECT_EQ(startsAtPause, (QList<int>{5, 10}));
    EXPECT_EQ(state->activityStarts().size(), 12);
    // The countdown of one pause, from the chosen length down to the singular form, then empty.
    QStringList countdown;
    for (int s = 10; s >= 1; --s) {
        countdown.append(sending::Pause_Label(s * 1000LL));
    }
    countdown.append(QString(""));
    const QStringList labels = view.pauseLabels;
    const int first = static_cast<int>(labels.indexOf(countdown.first()));
    ASSERT_GE(first, 0);
    EXPECT_EQ(labels.mid(first, countdown.size()), countdown);
    EXPECT_EQ(labels.count(countdown.first()), 2);
    EXPECT_EQ(sentItems().size(), 12);
}

TEST_F(OneByOneTest, StopDuringAPauseEndsTheRunWithoutTheCompletionMessage) {
    delayed(QStringLiteral("1"), QStringLiteral("5  Seconds"));
    add(QStringLiteral("0170"), QStringLiteral("one"));
    add(QStringLiteral("0171"), QStringLiteral("two"));
    add(QStringLiteral("0172"), QStringLiteral("three"));
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
    EXPECT_EQ(sentItems().size(), 1);
    // The pause did not run out.
    EXPECT_FALSE(view.pauseLabels.contains(sending::Pause_Label(1000)));
    EXPECT_FALSE(controller->pausing());
    EXPECT_FALSE(view.sendSheetOpen);
}

// A phone lost after two starts (in old and in current adb words), lost while messages go
// through the file, or silent until the time-out ends the run with a connection error at once:
// only what the phone took is recorded, nothing is asked about the message files, and the item
// after the last one taken was the last one tried.
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
        QList<stores::SentItem> taken;
        for (int i = 0; i < 5; ++i) {
            add(QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i));
            if (i < c.taken) {
                taken.append({QStringLiteral("01700%1").arg(i), QStringLiteral("message %1").arg(i),
                              today(), ""});
            }
        }
        dialogs.expectNotice(sending::kDeviceConnectionError);
        send();
        if (c.taken >= 0) {
            EXPECT_EQ(state->activityStarts().size(), c.taken);
        }
        // adb's own words told at once: no message file was tried for a phone that is gone.
        EXPECT_EQ(pushesOf(android::kOneByOneFileName), c.unicode ? c.taken : 0);
        EXPECT_EQ(sentItems(), taken);
        EXPECT_FALSE(view.events.contains(QStringLiteral("dialog:File_Creation_Fail")));
        EXPECT_TRUE(controller->aborted());
        EXPECT_EQ(controller->handedOver(), std::max(c.taken, 0));
        EXPECT_EQ(view.countLabels.last(),
                  QStringLiteral("%1 / 5 Message").arg(std::max(c.taken, 0) + 1));
    }
}

struct StorageFailCase {
    const char* name;
    int answer;
    bool skipForAll;
    int dialogs;  // File_Creation_Fail shown
    bool stops;
};

// Nothing reached the phone: the run does not end as "completed", it says what happened.
TEST_F(OneByOneTest, FullStorageAsksPerMessageUnlessSkippedForAll) {
    const QString nothingSent = QStringLiteral(
        "No message was handed to the phone: none of the 3 messages could be stored on it, and "
        "each was skipped.\n\nCheck that the phone is unlocked and its storage is not full, "
        "then send again.");
    const QList<StorageFailCase> cases = {
        {"skip_each", 1, false, 3, false},
        {"skip_for_all", 1, true, 1, false},
        {"stop", 0, false, 1, true},
    };
    for (const StorageFailCase& c : cases) {
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
            dialogs.expectNotice(nothingSent);
        }
        send();
        EXPECT_EQ(view.events.count(QStringLiteral("dialog:File_Creation_Fail")), c.dialogs);
        EXPECT_EQ(controller->stopped(), c.stops);
        EXPECT_TRUE(state->activityStarts().isEmpty());
        // A message the phone never got is not a sent item.
        EXPECT_TRUE(sentItems().isEmpty());
        EXPECT_FALSE(dialogs.messages().contains(android::kSendingCompleted));
    }
}

struct EndCase {
    const char* name;
    int attempted;
    int handedOver;
    QString message;
};

TEST(OneByOneEndTest, CompletedOnlyWhenEveryTriedMessageReachedThePhone) {
    const QList<EndCase> cases = {
        {"all", 3, 3, android::kSendingCompleted},
        {"nothing_tried", 0, 0, android::kSendingCompleted},  // every item excluded
        {"some", 5, 3,
         android::kSendingCompleted + "\n\n2 of 5 messages could not be stored on the phone and "
                                      "were skipped; they were not sent."},
        {"the_only_one", 1, 0,
         "No message was handed to the phone: the message could not be stored on it and was "
         "skipped.\n\nCheck that the phone is unlocked and its storage is not full, then send "
         "again."},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sending::One_By_One_End_Message(c.attempted, c.handedOver), c.message);
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
    dialogs.expectNotice(QStringLiteral(
        "The companion app on the phone could not be started, so the message to 0170 and those "
        "after it were not sent.\n\nUnlock the phone and check that Tesk SMS Companion is "
        "installed there (Settings, Apps), then try again."));
    send();
    // The extra twice (both ways of writing it), then the file and a number-only start.
    EXPECT_EQ(state->activityStarts().size(), 3);
    EXPECT_EQ(pushesOf(android::kOneByOneFileName), 1);
    EXPECT_FALSE(view.events.contains(QStringLiteral("dialog:File_Creation_Fail")));
    EXPECT_TRUE(controller->aborted());
    EXPECT_TRUE(sentItems().isEmpty());
}

}  // namespace
}  // namespace tesk::test
