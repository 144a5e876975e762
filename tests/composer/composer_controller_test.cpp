#include "composer/composer_controller.h"
#include "recording_view.h"

namespace {

using namespace tesk::composer;
using namespace tesk::composer::test;

using tesk::test::ScriptedDialogs;

const QString kInvalid = "\nPlease enter a valid phone number.";
const QString kExists = "\nEntered number already exists.";
const QString kEmptyList = "\nPhone numbers-Messages list is empty.";

void addTyped(ComposerController& composer, const QString& number) {
    composer.controlTextDidChange(number);
    composer.Add_number_To_List();
}

// A typed number is cleaned as an import cleans it (the forms are tried on the import reader); a
// refused one stays in the field to be corrected.
TEST_F(ComposerTest, AddNumberToListCleansAndValidatesTypedNumbers) {
    composer_.textDidChange("Hello");
    dialogs_.expectNotice(kInvalid);
    addTyped(composer_, "4477+00");
    EXPECT_EQ(composer_.numberField(), "4477+00");
    addTyped(composer_, " +44 7700-900 123 ");
    EXPECT_EQ(composer_.list().items(), (QList<ListItem>{{"+447700900123", "Hello"}}));
    EXPECT_EQ(composer_.numberField(), QString());

    // The field is cut to 20 characters; Return adds it, leaving the field does not.
    composer_.controlTextDidChange("123456789012345678901234");
    EXPECT_EQ(view_.numberField, "12345678901234567890");
    composer_.controlTextDidEndEditing(false);
    composer_.controlTextDidEndEditing(true);
    composer_.controlTextDidEndEditing(true);  // empty field: nothing, no message
    EXPECT_EQ(composer_.list().numbers(), (QStringList{"+447700900123", "12345678901234567890"}));

    // Blanks are no number that would have to be added before an import or a send.
    composer_.controlTextDidChange("  ");
    EXPECT_EQ(composer_.Add_Number_In_List_First(), 0);
}

TEST_F(ComposerTest, DuplicatesAndExclusionsFollowTheOptions) {
    int loads = 0;  // the exclusion list is read when the option is switched on
    composer_.Set_Exclusion_Loader([&loads](ComposerController& c) {
        ++loads;
        c.Fill_Exclusion_Num_List({" 555 ", " ", "777"});
    });
    addTyped(composer_, "555");
    addTyped(composer_, "555");
    composer_.Skip_Duplicate_Chk(true);
    composer_.Exclusion_Chk(true);
    dialogs_.expectNotice(kExists);  // duplicate and excluded: the duplicate test comes first
    addTyped(composer_, "555");
    dialogs_.expectNotice("\nEntered number is in exclusion list.");
    addTyped(composer_, "777");
    composer_.Exclusion_Chk(false);
    addTyped(composer_, "777");
    EXPECT_EQ(composer_.list().numbers(), (QStringList{"555", "555", "777"}));
    EXPECT_EQ(loads, 1);

    // One number at a time: trimmed, a blank one ignored.
    composer_.Create_Exclusion_List(" 888 ");
    composer_.Create_Exclusion_List("  ");
    EXPECT_EQ(composer_.exclusions().numbers(), (QStringList{"555", "777", "888"}));
}

// A blank number adds no row; the first non-empty composer text is remembered.
TEST_F(ComposerTest, CreateNumMsgListCountsAndRemembersTheFirstComposerText) {
    composer_.Create_Num_Msg_List("  ", "x");
    composer_.Create_Num_Msg_List("1", QString());
    EXPECT_EQ(composer_.prevComposerMsg(), QString());
    composer_.textDidChange("first");
    composer_.Create_Num_Msg_List(" 2 ", "own");
    composer_.textDidChange("second");
    composer_.Create_Num_Msg_List("3", QString());
    EXPECT_EQ(view_.countLabel, "Total Numbers : 3");
    EXPECT_EQ(composer_.prevComposerMsg(), "first");
    EXPECT_EQ(composer_.list().at(1), (ListItem{"2", "own"}));
}

// A run sends the rows' own messages, so the composer text never makes a blank list less blank.
TEST(BlankMsgChk, LooksAtTheRowsOnly) {
    ComposerController composer(ComposerKind::Android);
    composer.Create_Num_Msg_List("1", QString());
    composer.Create_Num_Msg_List("2", QString());
    composer.textDidChange("composer");
    EXPECT_EQ(composer.Blank_Msg_Chk(), 1);
    EXPECT_EQ(composer.Blank_Message_Count(), 2);
    composer.Create_Num_Msg_List("3", "m");
    EXPECT_EQ(composer.Blank_Msg_Chk(), 0);
    EXPECT_EQ(composer.Blank_Message_Count(), 2);
}

TEST_F(ComposerTest, ClearingSelectedAndAllRows) {
    dialogs_.expectNotice(kEmptyList);
    composer_.Clear_Sel_Btn();
    dialogs_.expectNotice(kEmptyList);
    composer_.Clear_All_Btn();
    for (const char* number : {"1", "2", "3", "4"}) {
        composer_.Create_Num_Msg_List(QString::fromLatin1(number), QString());
    }
    dialogs_.expectNotice(QStringLiteral(
        "\nPlease select at least one record from the phone numbers-messages list to continue."));
    composer_.Clear_Sel_Btn();
    composer_.Set_Selected_Rows({3, 1});
    composer_.Clear_Sel_Btn();
    EXPECT_EQ(composer_.list().numbers(), (QStringList{"1", "3"}));
    EXPECT_EQ(composer_.selectedRows(), QList<int>{0});

    const QString question = QStringLiteral(
        "\nThis option will clear the entire list contents. Are you sure you want to continue "
        "clearing the entire list?");
    dialogs_.expect(question, "No");
    composer_.Clear_All_Btn();
    EXPECT_EQ(composer_.list().count(), 2);
    dialogs_.expect(question, "Yes");
    composer_.Clear_All_Btn();
    EXPECT_EQ(composer_.list().count(), 0);
}

TEST(ResetBtn, PutsTheComposerBack) {
    for (const ComposerKind kind : {ComposerKind::Gsm, ComposerKind::Android}) {
        ScriptedDialogs dialogs;
        ComposerController composer(kind);
        RecordingView view(composer);
        composer.controlTextDidChange("12");
        composer.textDidChange("hi");
        composer.Create_Num_Msg_List("1", "hi");
        composer.Skip_Duplicate_Chk(true);
        composer.Exclusion_Chk(true);
        composer.Save_Sent_Item_Chk(true);
        composer.Save_Templates_Chk(true);
        composer.Unicode_Chk(true);
        composer.Delayed_Delivry_Chk(true);
        composer.Msg_Type_Selected(0);
        composer.Delayed_Choices(true, 2, 3);
        composer.Android_Sending_Mode(false);
        const QString question = "\nAre you sure you want to continue to reset?";
        dialogs.expect(question, "No");
        composer.Reset_Btn();
        EXPECT_EQ(composer.list().count(), 1);
        EXPECT_TRUE(composer.Is_Flash_Message());
        dialogs.expect(question, "Yes");
        composer.Reset_Btn();
        EXPECT_EQ(composer.list().count(), 0);
        EXPECT_EQ(composer.prevComposerMsg() + composer.composerText(), QString());
        EXPECT_FALSE(composer.Is_Flash_Message());
        ComposerControls expected;
        expected.androidSingleShot = kind == ComposerKind::Android;
        // Reset puts the Android composer back to single-shot, which has no Delayed Delivery.
        expected.delayedDeliveryOffered = kind != ComposerKind::Android;
        EXPECT_EQ(view.controls, expected);
    }
}

TEST_F(ComposerTest, DoubleClickOpensTheEditorForOneRow) {
    composer_.Create_Num_Msg_List("1", QString(161, QLatin1Char('a')));
    composer_.Create_Num_Msg_List("2", "b");
    composer_.doubleClickInTable();  // nothing selected: nothing happens
    composer_.Set_Selected_Rows({0, 1});
    dialogs_.expectNotice("\nPlease select only one record to update.");
    composer_.doubleClickInTable();
    EXPECT_TRUE(view_.edits.isEmpty());
    composer_.Set_Selected_Rows({0});
    view_.editDialog = [](const EditRequest&) { return 1; };
    composer_.doubleClickInTable();
    ASSERT_EQ(view_.edits.size(), 1);
    EXPECT_EQ(view_.edits[0].number, "1");
    EXPECT_EQ(view_.edits[0].countText, "161 Characters (Each Message will now consume 2 SMS)");
    EXPECT_TRUE(view_.delays.isEmpty()) << "the editor's count never warns";
}

// An empty list, a cancelled choice and an unwritable file write nothing. The chosen name gets
// ".txt" unless it has it in any case; an existing file is replaced.
TEST_F(ComposerTest, ExportWritesTheNumbersUnderTheHeader) {
    const QString rule(76, QLatin1Char('='));
    const QString header = rule + "\n\n\t\t\t[ Tesk SMS - Contact List ]\t\t\t\n\n" + rule + "\n";
    dialogs_.expectNotice(kEmptyList);
    composer_.Export_Btn();
    composer_.Create_Num_Msg_List("+447700900123", "msg");
    composer_.Create_Num_Msg_List(QString::fromUtf8("٠١٢"), QString());
    composer_.Create_Num_Msg_List("0044", "x\ny");
    dialogs_.expectFileToSave(QString());  // cancelled: nothing
    composer_.Export_Btn();
    dialogs_.expectFileToSave("/nonexistent-dir/contacts.txt");
    dialogs_.expectNotice("\nError in file accessing.");
    composer_.Export_Btn();
    EXPECT_EQ(view_.exported, QString());
    for (const auto& [chosen, written] :
         {std::pair{"upper.TXT", "upper.TXT"}, {"list.csv", "list.csv.txt"}}) {
        write(written, QByteArray(500, 'z'));
        dialogs_.expectFileToSave(dir_.filePath(chosen));
        composer_.Export_Btn();
        QFile file(dir_.filePath(written));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << written;
        EXPECT_EQ(QString::fromUtf8(file.readAll()),
                  header + QString::fromUtf8("+447700900123\n٠١٢\n0044\n"));
        EXPECT_EQ(view_.exported, dir_.filePath(written));
    }
}

TEST_F(ComposerTest, DelayedDeliveryPreselectsTwoMinutesAndFifteenAndOffClearsBoth) {
    // The sending run reads each pause back as: two digits, then the unit letter fourth.
    for (const QString& entry : ComposerController::Delayed_Pause_Entries()) {
        const QString trimmed = entry.trimmed();
        EXPECT_GT(trimmed.left(2).trimmed().toInt(), 0) << entry.toStdString();
        EXPECT_TRUE(QStringLiteral("SMH").contains(trimmed.at(3))) << entry.toStdString();
    }
    composer_.Delayed_Delivry_Chk(true);
    EXPECT_TRUE(view_.controls.delayedChoicesEnabled);
    EXPECT_EQ(composer_.Delayed_Pause_Text(), " 2  Minutes");
    EXPECT_EQ(composer_.Delayed_Count_Text(), "15");
    composer_.Delayed_Choices(true, 18, 31);
    EXPECT_EQ(composer_.Delayed_Pause_Text(), "12 Hours");
    EXPECT_EQ(composer_.Delayed_Count_Text(), "1000");
    composer_.Delayed_Delivry_Chk(false);
    EXPECT_FALSE(view_.controls.delayedChoicesEnabled);
    EXPECT_EQ(composer_.Delayed_Count_Text() + composer_.Delayed_Pause_Text(), QString());
    EXPECT_TRUE(composer_.controls().delayedDeliveryOffered) << "the GSM composer always offers it";
}

// Single-shot hands the whole list to the phone at once, so it has nothing to pause: choosing
// it takes Delayed Delivery away, one-by-one offers it again.
TEST(AndroidSendingMode, SingleShotTakesDelayedDeliveryAwayAndOneByOneOffersIt) {
    ComposerController android(ComposerKind::Android);
    RecordingView view(android);
    EXPECT_FALSE(android.controls().delayedDeliveryOffered);
    android.One_By_One_Mode_Radio();
    EXPECT_TRUE(android.controls().delayedDeliveryOffered);
    android.Delayed_Delivry_Chk(true);
    ASSERT_TRUE(view.controls.delayedChoicesEnabled);
    android.Single_Shot_Mode_Radio();
    ComposerControls expected;  // as a fresh Android composer: no delay, no choices
    expected.androidSingleShot = true;
    expected.delayedDeliveryOffered = false;
    EXPECT_EQ(view.controls, expected) << "the window is told";
    EXPECT_TRUE(android.Delayed_Count_Text().isEmpty());
}

}  // namespace
