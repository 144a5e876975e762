#include "composer/composer_controller.h"
#include "recording_view.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::composer::Field;
using tesk::composer::ListItem;
using tesk::composer::test::RecordingView;
using tesk::test::ScriptedDialogs;

const QString kInvalid = QStringLiteral("\nPlease enter a valid phone number.");
const QString kExists = QStringLiteral("\nEntered number already exists.");
const QString kExcluded = QStringLiteral("\nEntered number is in exclusion list.");
const QString kEmptyList = QStringLiteral("\nPhone numbers-Messages list is empty.");

void addTyped(ComposerController& composer, const QString& number) {
    composer.controlTextDidChange(number);
    composer.Add_number_To_List();
}

struct TypedCase {
    const char* name;
    QString typed;
    QString stored;  // "" when refused
};

TEST(AddNumberToList, cleansAndValidatesTypedNumbers) {
    const std::vector<TypedCase> cases = {
        {"leading plus kept", "+447700900123", "+447700900123"},
        {"spaces and hyphens removed", " +44 7700-900 123 ", "+447700900123"},
        {"20 digits", "12345678901234567890", "12345678901234567890"},
        {"plus inside", "4477+00", ""},
        {"two leading plus", "++4477", ""},
        {"letter", "12a45", ""},
        {"comma", "123,456", ""},
        {"blank", "   ", ""},
        // Typed or pasted into the field, a number is cleaned as an import cleans it.
        {"parentheses and no-break space", QString::fromUtf8("(020)\u00A07946 0018"),
         "02079460018"},
        {"dots", "06.12.34.56.78", "0612345678"},
        {"date", "01.02.2024", ""},
        {"scientific notation", "4.47911E+11", ""},
        {"lone plus", "+", ""},
        {"plus among hyphens", "- + -", ""},
    };
    for (const TypedCase& c : cases) {
        ScriptedDialogs dialogs;
        ComposerController composer(ComposerKind::Gsm);
        RecordingView view(composer);
        composer.textDidChange(QStringLiteral("Hello"));
        if (c.stored.isEmpty()) {
            dialogs.expectNotice(kInvalid);
        }
        composer.controlTextDidChange(c.typed);
        composer.Add_number_To_List();
        if (c.stored.isEmpty()) {
            EXPECT_EQ(composer.list().count(), 0) << c.name;
            EXPECT_EQ(dialogs.messages(), QStringList{kInvalid}) << c.name;
            EXPECT_EQ(view.focused, Field::Number) << c.name;
        } else {
            ASSERT_EQ(composer.list().count(), 1) << c.name;
            EXPECT_EQ(composer.list().at(0), (ListItem{c.stored, QStringLiteral("Hello")}))
                << c.name;
            EXPECT_EQ(composer.numberField(), QString()) << c.name;
            EXPECT_EQ(view.numberField, QString()) << c.name;
            EXPECT_EQ(view.countLabel, QStringLiteral("Total Numbers : 1")) << c.name;
        }
    }
}

TEST(AddNumberToList, duplicatesAndExclusionsFollowTheOptions) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    composer.Fill_Exclusion_Num_List({QStringLiteral(" 555 "), QStringLiteral("777")});
    addTyped(composer, QStringLiteral("555"));
    addTyped(composer, QStringLiteral("555"));
    EXPECT_EQ(composer.list().count(), 2) << "both options off";

    composer.Skip_Duplicate_Chk(true);
    composer.Exclusion_Chk(true);
    dialogs.expectNotice(kExists);  // duplicate and excluded: the duplicate test comes first
    addTyped(composer, QStringLiteral("555"));
    dialogs.expectNotice(kExcluded);
    addTyped(composer, QStringLiteral("777"));
    composer.Exclusion_Chk(false);
    addTyped(composer, QStringLiteral("777"));
    EXPECT_EQ(composer.list().numbers(),
              (QStringList{QStringLiteral("555"), QStringLiteral("555"), QStringLiteral("777")}));
    EXPECT_EQ(dialogs.messages(), (QStringList{kExists, kExcluded}));
}

TEST(NumAbleToInsert, appliesTheRulesSilently) {
    ComposerController composer(ComposerKind::Android);
    composer.Fill_Exclusion_Num_List({QStringLiteral("0044123")});
    composer.Create_Num_Msg_List(QStringLiteral("+44123"), QString());
    composer.Skip_Duplicate_Chk(true);
    composer.Exclusion_Chk(true);
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral(" +44 99-1 ")), QStringLiteral("+44991"));
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("+44123")), QString());
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("0044123")), QString());
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("44+123")), QString());
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("123456789012345678901")), QString());
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("1,2")), QString());
    composer.Skip_Duplicate_Chk(false);
    composer.Exclusion_Chk(false);
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("+44123")), QStringLiteral("+44123"));
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("0044123")), QStringLiteral("0044123"));
}

TEST(CreateNumMsgList, remembersTheFirstNonEmptyComposerText) {
    ComposerController composer(ComposerKind::Gsm);
    composer.Create_Num_Msg_List(QStringLiteral("  "), QStringLiteral("x"));
    EXPECT_EQ(composer.list().count(), 0);
    composer.Create_Num_Msg_List(QStringLiteral("1"), QString());
    EXPECT_EQ(composer.prevComposerMsg(), QString());
    composer.textDidChange(QStringLiteral("first"));
    composer.Create_Num_Msg_List(QStringLiteral(" 2 "), QStringLiteral("own"));
    composer.textDidChange(QStringLiteral("second"));
    composer.Create_Num_Msg_List(QStringLiteral("3"), QString());
    EXPECT_EQ(composer.prevComposerMsg(), QStringLiteral("first"));
    EXPECT_EQ(composer.list().at(1), (ListItem{QStringLiteral("2"), QStringLiteral("own")}));
}

TEST(UpdateListCount, redrawsTheTableAtTheTenthRow) {
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    for (int i = 1; i <= 11; ++i) {
        composer.Create_Num_Msg_List(QString::number(i), QString());
        EXPECT_EQ(view.calls().count(QStringLiteral("redraw")), i >= 10 ? 1 : 0) << i;
    }
    EXPECT_EQ(view.countLabel, QStringLiteral("Total Numbers : 11"));
}

TEST(ComposerController, numberFieldAndReturnKey) {
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    composer.controlTextDidChange(QStringLiteral("123456789012345678901234"));
    EXPECT_EQ(composer.numberField(), QStringLiteral("12345678901234567890"));
    EXPECT_EQ(view.numberField, QStringLiteral("12345678901234567890"));
    composer.controlTextDidEndEditing(false);
    EXPECT_EQ(composer.list().count(), 0);
    composer.controlTextDidEndEditing(true);
    EXPECT_EQ(composer.list().numbers(), QStringList{QStringLiteral("12345678901234567890")});
    composer.controlTextDidEndEditing(true);  // empty field: nothing, no message
    EXPECT_EQ(composer.list().count(), 1);
}

// A run sends the rows' own messages, so the composer text never makes a blank list less blank.
TEST(BlankMsgChk, looksAtTheRowsOnlyInBothComposers) {
    for (const ComposerKind kind : {ComposerKind::Gsm, ComposerKind::Android}) {
        ComposerController composer(kind);
        composer.Create_Num_Msg_List(QStringLiteral("1"), QString());
        composer.Create_Num_Msg_List(QStringLiteral("2"), QString());
        composer.textDidChange(QStringLiteral("composer"));
        EXPECT_EQ(composer.Blank_Msg_Chk(), 1);
        EXPECT_EQ(composer.Blank_Message_Count(), 2);
        composer.Create_Num_Msg_List(QStringLiteral("3"), QStringLiteral("m"));
        EXPECT_EQ(composer.Blank_Msg_Chk(), 0);
        EXPECT_EQ(composer.Blank_Message_Count(), 2);
    }
}

TEST(AddNumberInListFirst, asksToAddTheTypedNumber) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    composer.controlTextDidChange(QStringLiteral("  "));
    EXPECT_EQ(composer.Add_Number_In_List_First(), 0);
    composer.controlTextDidChange(QStringLiteral("12"));
    dialogs.expectNotice(QStringLiteral("\nPlease insert entered number to the list."));
    EXPECT_EQ(composer.Add_Number_In_List_First(), 1);
    EXPECT_EQ(view.focused, Field::Number);
}

TEST(ClearSelBtn, removesTheSelectedRows) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    dialogs.expectNotice(kEmptyList);
    composer.Clear_Sel_Btn();
    for (const char* number : {"1", "2", "3", "4"}) {
        composer.Create_Num_Msg_List(QString::fromLatin1(number), QString());
    }
    dialogs.expectNotice(QStringLiteral(
        "\nPlease select at least one record from the phone numbers-messages list to continue."));
    composer.Clear_Sel_Btn();
    EXPECT_EQ(view.focused, Field::Table);
    composer.Set_Selected_Rows({3, 1});
    view.clearCalls();
    composer.Clear_Sel_Btn();
    EXPECT_EQ(composer.list().numbers(), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(composer.selectedRows(), QList<int>{0});
    EXPECT_EQ(view.selection, QList<int>{0});
    EXPECT_EQ(view.calls(), (QStringList{QStringLiteral("wait+"), QStringLiteral("redraw"),
                                         QStringLiteral("wait-")}));
    EXPECT_EQ(view.countLabel, QStringLiteral("Total Numbers : 2"));
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST(ClearAllBtn, asksBeforeClearing) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    dialogs.expectNotice(kEmptyList);
    composer.Clear_All_Btn();
    composer.Create_Num_Msg_List(QStringLiteral("1"), QString());
    const QString question = QStringLiteral(
        "\nThis option will clear the entire list contents. Are you sure you want to continue "
        "clearing the entire list?");
    dialogs.expect(question, QStringLiteral("No"));
    composer.Clear_All_Btn();
    EXPECT_EQ(composer.list().count(), 1);
    dialogs.expect(question, QStringLiteral("Yes"));
    composer.Clear_All_Btn();
    EXPECT_EQ(composer.list().count(), 0);
    EXPECT_EQ(view.countLabel, QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(dialogs.messages(), (QStringList{kEmptyList, question, question}));
}

TEST(ResetBtn, putsTheComposerBack) {
    for (const ComposerKind kind : {ComposerKind::Gsm, ComposerKind::Android}) {
        ScriptedDialogs dialogs;
        ComposerController composer(kind);
        RecordingView view(composer);
        composer.controlTextDidChange(QStringLiteral("12"));
        composer.textDidChange(QStringLiteral("hi"));
        composer.Create_Num_Msg_List(QStringLiteral("1"), QStringLiteral("hi"));
        composer.Skip_Duplicate_Chk(true);
        composer.Exclusion_Chk(true);
        composer.Save_Sent_Item_Chk(true);
        composer.Save_Templates_Chk(true);
        composer.Unicode_Chk(true);
        composer.Delayed_Delivry_Chk(true);
        composer.Msg_Type_Selected(0);
        composer.Delayed_Choices(true, 2, 3);
        composer.Android_Sending_Mode(false);
        const QString question = QStringLiteral("\nAre you sure you want to continue to reset?");
        dialogs.expect(question, QStringLiteral("No"));
        composer.Reset_Btn();
        EXPECT_EQ(composer.list().count(), 1);
        EXPECT_TRUE(composer.Is_Flash_Message());
        dialogs.expect(question, QStringLiteral("Yes"));
        composer.Reset_Btn();
        EXPECT_EQ(composer.list().count(), 0);
        EXPECT_EQ(composer.prevComposerMsg(), QString());
        EXPECT_EQ(composer.numberField(), QString());
        EXPECT_EQ(composer.composerText(), QString());
        EXPECT_EQ(view.charCountLabel, QStringLiteral("0 Characters"));
        EXPECT_FALSE(composer.Is_Flash_Message());
        tesk::composer::ComposerControls expected;
        expected.androidSingleShot = kind == ComposerKind::Android;
        // Reset puts the Android composer back to single-shot, which has no Delayed Delivery.
        expected.delayedDeliveryOffered = kind != ComposerKind::Android;
        EXPECT_EQ(view.controls, expected);
        EXPECT_EQ(composer.controls(), expected);
        EXPECT_EQ(view.focused, Field::Number);
    }
}

TEST(ExclusionChk, switchingOnRunsTheLoader) {
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    int loads = 0;
    composer.Set_Exclusion_Loader([&loads](ComposerController& c) {
        ++loads;
        c.Fill_Exclusion_Num_List({QStringLiteral("9"), QStringLiteral(" "), QStringLiteral("8")});
    });
    composer.Exclusion_Chk(true);
    composer.Exclusion_Chk(false);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(composer.exclusions().numbers(), (QStringList{"9", "8"}));
    EXPECT_EQ(composer.Exclusion_Table_Value(1, QStringLiteral("Number")), QStringLiteral("8"));
    EXPECT_EQ(composer.Check_Exclusion_Number(QStringLiteral("9")), 1);
}

TEST(DoubleClickInTable, opensTheEditorForOneRow) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    composer.Create_Num_Msg_List(QStringLiteral("1"), QString(161, QLatin1Char('a')));
    composer.Create_Num_Msg_List(QStringLiteral("2"), QStringLiteral("b"));
    composer.doubleClickInTable();  // nothing selected: nothing happens
    composer.Set_Selected_Rows({0, 1});
    dialogs.expectNotice(QStringLiteral("\nPlease select only one record to update."));
    composer.doubleClickInTable();
    EXPECT_TRUE(view.edits.isEmpty());
    composer.Set_Selected_Rows({0});
    view.editDialog = [](const tesk::composer::EditRequest&) { return 1; };
    view.clearCalls();
    composer.doubleClickInTable();
    ASSERT_EQ(view.edits.size(), 1);
    EXPECT_EQ(view.edits[0].row, 0);
    EXPECT_EQ(view.edits[0].number, QStringLiteral("1"));
    EXPECT_EQ(view.edits[0].countText,
              QStringLiteral("161 Characters (Each Message will now consume 2 SMS)"));
    EXPECT_EQ(view.calls(), QStringList{QStringLiteral("redraw")});
    EXPECT_TRUE(view.delays.isEmpty()) << "the editor's count never warns";
}

TEST(ExportBtn, writesTheNumbersUnderTheHeader) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString rule(76, QLatin1Char('='));
    const QString header =
        rule + QStringLiteral("\n\n\t\t\t[ Tesk SMS - Contact List ]\t\t\t\n\n") + rule + "\n";
    struct Case {
        QString chosen;
        QString written;
    };
    const std::vector<Case> cases = {
        {dir.filePath("contacts.txt"), dir.filePath("contacts.txt")},
        {dir.filePath("upper.TXT"), dir.filePath("upper.TXT")},
        {dir.filePath("list.csv"), dir.filePath("list.csv.txt")},
        {dir.filePath("plain"), dir.filePath("plain.txt")},
    };
    for (const Case& c : cases) {
        ScriptedDialogs dialogs;
        ComposerController composer(ComposerKind::Gsm);
        RecordingView view(composer);
        composer.Create_Num_Msg_List(QStringLiteral("+447700900123"), QStringLiteral("msg"));
        composer.Create_Num_Msg_List(QString::fromUtf8("٠١٢"), QString());
        composer.Create_Num_Msg_List(QStringLiteral("0044"), QStringLiteral("x\ny"));
        {
            QFile old(c.written);  // an existing file is replaced, not appended to
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(500, 'z'));
        }
        dialogs.expectFileToSave(c.chosen);
        composer.Export_Btn();
        QFile file(c.written);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.written.toStdString();
        EXPECT_EQ(QString::fromUtf8(file.readAll()),
                  header + QString::fromUtf8("+447700900123\n٠١٢\n0044\n"));
        EXPECT_EQ(view.exported, c.written);
    }
}

TEST(ExportBtn, refusesAnEmptyListAndReportsFileErrors) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Android);
    RecordingView view(composer);
    dialogs.expectNotice(kEmptyList);
    composer.Export_Btn();
    EXPECT_EQ(view.focused, Field::Number);
    composer.Create_Num_Msg_List(QStringLiteral("1"), QString());
    dialogs.expectFileToSave(QString());  // cancelled: nothing
    composer.Export_Btn();
    dialogs.expectFileToSave(QStringLiteral("/nonexistent-dir/contacts.txt"));
    dialogs.expectNotice(QStringLiteral("\nError in file accessing."));
    composer.Export_Btn();
    EXPECT_EQ(view.exported, QString());
}

}  // namespace

TEST(DelayedDelivery, switchPreselectsTwoMinutesAndFifteenAndOffClearsBoth) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    const QStringList pauses = ComposerController::Delayed_Pause_Entries();
    const QStringList counts = ComposerController::Delayed_Count_Entries();
    ASSERT_EQ(pauses.size(), 32);
    ASSERT_EQ(counts.size(), 19);
    // The sending run reads each pause back as: two digits, then the unit letter fourth.
    for (const QString& entry : pauses) {
        const QString trimmed = entry.trimmed();
        EXPECT_GT(trimmed.left(2).trimmed().toInt(), 0) << entry.toStdString();
        EXPECT_TRUE(QStringLiteral("SMH").contains(trimmed.at(3))) << entry.toStdString();
    }
    EXPECT_EQ(composer.Delayed_Pause_Text(), QString());

    composer.Delayed_Delivry_Chk(true);
    EXPECT_TRUE(view.controls.delayedChoicesEnabled);
    EXPECT_EQ(composer.Delayed_Pause_Text(), QStringLiteral(" 2  Minutes"));
    EXPECT_EQ(composer.Delayed_Count_Text(), QStringLiteral("15"));
    composer.Delayed_Choices(true, 18, 31);
    EXPECT_EQ(composer.Delayed_Pause_Text(), QStringLiteral("12 Hours"));
    EXPECT_EQ(composer.Delayed_Count_Text(), QStringLiteral("1000"));

    composer.Delayed_Delivry_Chk(false);
    EXPECT_FALSE(view.controls.delayedChoicesEnabled);
    EXPECT_EQ(view.controls.delayedCountIndex, -1);
    EXPECT_EQ(view.controls.delayedPauseIndex, -1);
    EXPECT_EQ(composer.Delayed_Count_Text(), QString());
}

namespace {

// Single-shot hands the whole list to the phone at once, so it has nothing to pause: choosing
// it takes Delayed Delivery away, one-by-one offers it again. The GSM composer always offers it.
TEST(AndroidSendingMode, SingleShotTakesDelayedDeliveryAwayAndOneByOneOffersIt) {
    ComposerController android(ComposerKind::Android);
    RecordingView view(android);
    EXPECT_TRUE(android.controls().androidSingleShot);
    EXPECT_FALSE(android.controls().delayedDeliveryOffered);

    android.One_By_One_Mode_Radio();
    EXPECT_TRUE(android.controls().delayedDeliveryOffered);
    android.Delayed_Delivry_Chk(true);
    ASSERT_TRUE(android.options().delayedDelivery);
    ASSERT_GE(android.controls().delayedCountIndex, 0);

    android.Single_Shot_Mode_Radio();
    const tesk::composer::ComposerControls shown = android.controls();
    EXPECT_TRUE(shown.androidSingleShot);
    EXPECT_FALSE(shown.options.delayedDelivery);
    EXPECT_FALSE(shown.delayedChoicesEnabled);
    EXPECT_EQ(shown.delayedCountIndex, -1);
    EXPECT_EQ(shown.delayedPauseIndex, -1);
    EXPECT_FALSE(shown.delayedDeliveryOffered);
    EXPECT_EQ(view.controls, shown) << "the window is told";
    EXPECT_TRUE(android.Delayed_Count_Text().isEmpty());

    ComposerController gsm(ComposerKind::Gsm);
    EXPECT_TRUE(gsm.controls().delayedDeliveryOffered);
}

}  // namespace
