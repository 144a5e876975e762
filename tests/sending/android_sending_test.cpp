// The Send button of the Android composer: its checks in order, one run at a time, the
// single-shot message file and what the stores record.
#include "android_sending_support.h"
#include "appstate/selection_state.h"
#include "sending/send_job.h"
#include "sending/sms_sending.h"

namespace tesk::test {
namespace {

using sending::ListMessageChoice;

// Each check stops the send with its one message, in order: every later check would fail too,
// so the first one decides. Nothing is started and adb is not called.
TEST_F(AndroidSendingTest, EachCheckStopsTheSendWithItsMessageInOrder) {
    const QString noDelayed =
        QStringLiteral("No values have been selected in 'Delayed Delivery Options'.");
    const struct {
        const char* name;
        bool phoneChosen;
        QString label;  // the composer's device label
        QString field;  // left in the number field
        QString blank;  // numbers listed without a message
        bool delayed;
        QString count, pause;
        QString message;  // the box shown
        QString focus;    // the focus event ("" = none)
    } cases[] = {
        {"no_phone_selected", false, kPhoneLabel, "0170", "", false, "", "",
         sending::kNoDeviceForSending, ""},
        {"label_says_none", true, kNoDeviceSelected, "0170", "", false, "", "",
         sending::kNoDeviceForSending, ""},
        {"number_left_in_field", true, kPhoneLabel, " 0170 ", "", false, "", "",
         "Please insert entered number to the list.", "focus:number"},
        {"empty_list", true, kPhoneLabel, "", "", true, "", " 2  Minutes",
         "Phone numbers-Messages list is empty.", "focus:number"},
        {"no_count_choice", true, kPhoneLabel, "", "0170", true, "", " 2  Minutes", noDelayed,
         "focus:count"},
        {"no_pause_choice", true, kPhoneLabel, "", "0170", true, "15", "", noDelayed,
         "focus:pause"},
        {"no_message_anywhere", true, kPhoneLabel, "", "0170 0171", false, "", "",
         sending::kNoTextForAnyContact, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sel_port_bsd_str.set(c.phoneChosen ? QStringLiteral("0123ABCD") : QString(""));
        newComposer();
        for (const QString& number : c.blank.split(' ', Qt::SkipEmptyParts)) {
            add(number, QString());
        }
        if (c.delayed) {
            delayed(c.count, c.pause);
        }
        composer->controlTextDidChange(c.field);
        dialogs.expectNotice(c.message);
        EXPECT_FALSE(controller->Send_SMS_Btn(c.label));
        EXPECT_EQ(dialogs.pending(), 0);
        EXPECT_EQ(view.events, c.focus.isEmpty() ? QStringList() : QStringList{c.focus});
        EXPECT_TRUE(state->calls().isEmpty());
    }
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
    } cases[] = {{false, false, "------"},
                 {false, true, "-E-E--"},
                 {true, false, "--DD-D"},
                 {true, true, "-EDE-D"}};
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

TEST_F(AndroidSendingTest, SecondSendWithTheSameTextSkipsTheDialogWarnsOnceAndRunsAlone) {
    andcntr = 0;
    add(QStringLiteral("0170"), QString());
    add(QStringLiteral("0171"), QStringLiteral("own text"));
    composer->textDidChange(QStringLiteral("Hello all"));
    view.listAnswer = ListMessageChoice::Applied;
    view.onApply = [this] { composer->Apply_Message_For_Sending(true); };
    PhoneFileWatcher watcher(*state);
    dialogs.expectNotice(sending::kSendingSecurityWarning);
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    // Pressing Send during a run does nothing.
    dialogs.expectNotice(android::kSendingCompleted);
    ASSERT_TRUE(controller->Send_SMS_Btn(kPhoneLabel));
    EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
    controller->Wait_For_Run();
    EXPECT_EQ(sms_thread_var_s.load(), 0);
    EXPECT_EQ(view.listDialogs, 1);  // same composer text: not offered again
    EXPECT_EQ(dialogs.pending(), 0);
    const QByteArray expected = android::Message_File_Record("0170", "Hello all").toUtf8() +
                                android::Message_File_Record("0171", "own text").toUtf8();
    EXPECT_EQ(watcher.at(android::kMessageFileName), (QList<QByteArray>{expected, expected}));
}

// A cancelled or passed-over list-message dialog never lets a row go out empty by itself: the
// dialog comes again while rows are blank, and only a yes to the blank-row question sends them.
TEST_F(AndroidSendingTest, RowsWithoutMessageGoOnlyAfterAYes) {
    add(QStringLiteral("0170"), QString());
    add(QStringLiteral("0171"), QStringLiteral("own text"));
    composer->textDidChange(QStringLiteral("Hello"));
    view.listAnswer = ListMessageChoice::Cancel;
    EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
    view.listAnswer = ListMessageChoice::Continue;
    const QString blankRows =
        QStringLiteral("1 of the 2 contacts in the list have no text message");
    dialogs.expect(blankRows, QStringLiteral("No"));
    EXPECT_FALSE(controller->Send_SMS_Btn(kPhoneLabel));
    EXPECT_TRUE(state->calls().isEmpty());
    PhoneFileWatcher watcher(*state);
    dialogs.expect(blankRows, QStringLiteral("Yes"));
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(view.listDialogs, 3);
    EXPECT_EQ(watcher.at(android::kMessageFileName),
              QList<QByteArray>{android::Message_File_Record("0170", "").toUtf8() +
                                android::Message_File_Record("0171", "own text").toUtf8()});
}

// The companion reads whatever file it finds: with every item excluded the phone still gets an
// empty file, not what an earlier run left there, and no copy stays behind.
TEST_F(AndroidSendingTest, SingleShotWithEveryItemExcludedStillPushesAnEmptyFile) {
    composer->Set_Exclusion_Loader([](composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List({QStringLiteral("0170")});
    });
    composer->Exclusion_Chk(true);
    add(QStringLiteral("0170"), QStringLiteral("one"));
    state->putPhoneFile(QStringLiteral("/sdcard/") + android::kMessageFileName, "stale");
    PhoneFileWatcher watcher(*state);
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(watcher.at(android::kMessageFileName), QList<QByteArray>{QByteArray("")});
    EXPECT_TRUE(sentItems().isEmpty());
    EXPECT_FALSE(QFile::exists(local(android::kMessageFileName)));
}

// With the companion package the build made, when there is one: the phone gets exactly that
// package.
TEST_F(AndroidSendingTest, SingleShotWritesEachKeptItemOnceCutTo1600AndRecordsIt) {
    const bool builtCompanion = useBuiltCompanion();
    composer->Skip_Duplicate_Chk(true);
    composer->Save_Templates_Chk(true);
    const QString longText = QString(1999, QLatin1Char('a')) + QLatin1Char('z');
    const QString twoLines = QStringLiteral("line one\nline two");
    add(QStringLiteral("0170"), longText);
    add(QStringLiteral("0171"), twoLines);
    add(QStringLiteral("0170"), QStringLiteral("duplicate"));
    PhoneFileWatcher watcher(*state);
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    const QString cut = longText.left(1600);
    EXPECT_EQ(watcher.at(android::kMessageFileName),
              QList<QByteArray>{(android::Message_File_Record("0170", cut) +
                                 android::Message_File_Record("0171", twoLines))
                                    .toUtf8()});
    EXPECT_EQ(sentItems(), records({{"0170", cut}, {"0171", twoLines}}));
    EXPECT_EQ(stores::LoadItems_templates(Templates_Path), (QStringList{cut, twoLines}));
    EXPECT_EQ(state->installedPackage(), packageBytes());
    EXPECT_EQ(state->installedPackage().startsWith("PK\x03\x04"), builtCompanion);
}

TEST_F(AndroidSendingTest, StorageFailureSwitchesToOneByOneInTheSameRun) {
    state->setStorageFull(true);
    add(QStringLiteral("0170"), QStringLiteral("first"));
    add(QStringLiteral("0171"), QStringLiteral("second"));
    view.storageFailSSAnswer = 1;
    dialogs.expectNotice(android::kSendingCompleted);
    send();
    EXPECT_EQ(view.events, (QStringList{"dialog:File_Creation_Fail_SS", "radios:one-by-one"}));
    EXPECT_FALSE(composer->controls().androidSingleShot);
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(Extra(starts.at(0), QStringLiteral("MSG")), QStringLiteral("first"));
    EXPECT_EQ(Extra(starts.at(1), QStringLiteral("MSG")), QStringLiteral("second"));
    EXPECT_EQ(sentItems().size(), 2);
}

// A full phone storage, or a push that hangs until its time-out, given up: nothing is sent.
TEST_F(AndroidSendingTest, StorageFailureGivenUpSendsNothing) {
    add(QStringLiteral("0170"), QStringLiteral("first"));
    for (const bool hang : {false, true}) {
        SCOPED_TRACE(hang ? "hanging push" : "full storage");
        // Short time-outs for the hanging push: it may take 5.4 s, any other call 1.8 s.
        pacing::ScopedScale shortTimeOuts{hang ? 0.03 : kAndroidTimeScale};
        state->setStorageFull(!hang);
        state->setHang(hang ? QStringList{QStringLiteral("push")} : QStringList{});
        view.events.clear();
        send();  // no completion message: the script would fail on it
        EXPECT_EQ(view.events, QStringList{"dialog:File_Creation_Fail_SS"});
        EXPECT_TRUE(state->activityStarts().isEmpty());
        EXPECT_TRUE(sentItems().isEmpty());
        EXPECT_TRUE(controller->aborted());
    }
}

TEST_F(AndroidSendingTest, PhoneNotReadyEndsBeforeAnyFileIsWritten) {
    state->setListing(fakeadb::kDefaultListing);
    add(QStringLiteral("0170"), QStringLiteral("first"));
    dialogs.expectNotice(sending::kNoDeviceForSending);
    send();
    EXPECT_TRUE(state->callsOf(QStringLiteral("push")).isEmpty());
    EXPECT_TRUE(sentItems().isEmpty());
}

}  // namespace
}  // namespace tesk::test
