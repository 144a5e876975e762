#include "composer/composer_controller.h"
#include "recording_view.h"

namespace {

using namespace tesk::composer;
using namespace tesk::composer::test;

using tesk::test::ScriptedDialogs;

const QString kSelectOne = QStringLiteral(
    "Please select at least one record from the phone numbers-messages list to continue.");

// Rows 1..4 with messages "", "m2", "", "m4".
void fillFour(ComposerController& composer) {
    composer.Create_Num_Msg_List("1", QString());
    composer.Create_Num_Msg_List("2", "m2");
    composer.Create_Num_Msg_List("3", QString());
    composer.Create_Num_Msg_List("4", "m4");
}

QStringList messagesOf(const ComposerController& composer) {
    QStringList messages;
    for (const auto& item : composer.list().items()) {
        messages.append(item.Message);
    }
    return messages;
}

TEST(FillMsgInList, copiesTheComposerMessageToTheChosenRows) {
    const QString copy = "This action will copy the message of composer box to ";
    const QString rest = " The messages of rest of the numbers remain unchanged.";
    const QString ask = "\n\nDo you want to continue?";
    const struct {
        FillTarget target;
        QString question;
        QStringList after;
    } cases[] = {
        {FillTarget::All, copy + "all numbers in the list." + ask, {"new", "new", "new", "new"}},
        {FillTarget::Selected,
         copy + "the selected numbers in the list." + rest + ask,
         {"", "new", "", "new"}},
        {FillTarget::Blank,
         copy + "the blank list items." + rest + ask,
         {"new", "m2", "new", "m4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question.toStdString());
        ScriptedDialogs dialogs;
        ComposerController composer(ComposerKind::Gsm);
        RecordingView view(composer);
        fillFour(composer);
        composer.Set_Selected_Rows({3, 1});
        composer.textDidChange("new");
        view.fillDialog = [&] {
            dialogs.expect(c.question, "No");
            EXPECT_FALSE(composer.Fill_Msg_In_List_OK(c.target));
            EXPECT_EQ(messagesOf(composer), (QStringList{"", "m2", "", "m4"}));
            dialogs.expect(c.question, "Yes");
            return composer.Fill_Msg_In_List_OK(c.target) ? 1 : 0;
        };
        composer.Fill_Msg_Btn();
        EXPECT_EQ(messagesOf(composer), c.after);
        EXPECT_EQ(composer.prevComposerMsg(), "new");
    }
}

TEST(FillMsgInList, refusals) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Android);
    RecordingView view(composer);
    dialogs.expectNotice("Phone numbers-Messages list is empty.");
    composer.Fill_Msg_Btn();
    composer.Create_Num_Msg_List("1", "has one");
    dialogs.expectNotice("Please enter some text message.");
    composer.Fill_Msg_Btn();

    dialogs.expectNotice("typical SMS Length of 160 Characters");
    composer.textDidChange(QString(1600, QLatin1Char('x')));
    view.fillDialog = [&] {
        dialogs.expectNotice(kSelectOne);
        EXPECT_FALSE(composer.Fill_Msg_In_List_OK(FillTarget::Selected));
        dialogs.expectNotice("There is no blank message in the phone numbers-messages list.");
        EXPECT_FALSE(composer.Fill_Msg_In_List_OK(FillTarget::Blank));
        return 0;
    };
    composer.Fill_Msg_Btn();
    EXPECT_EQ(composer.messageIS(), QString(1600, QLatin1Char('x')));
    EXPECT_EQ(messagesOf(composer), QStringList{"has one"});
    EXPECT_EQ(composer.prevComposerMsg(), QString())
        << "the row came in with an empty composer, and a cancelled dialog remembers nothing";
}

TEST_F(ComposerTest, UpdateSelNumSmsWritesOneMessageIntoTheSelectedRows) {
    dialogs_.expectNotice("Phone numbers-Messages list is empty.");
    composer_.Update_Sel_Msgs_Btn();
    fillFour(composer_);
    dialogs_.expectNotice(kSelectOne);
    composer_.Update_Sel_Msgs_Btn();

    composer_.Set_Selected_Rows({2, 0});
    const QString question = QStringLiteral(
        "This action will copy the above message to the selected numbers in the list. The "
        "messages of rest of the numbers remain unchanged.\n\nDo you want to continue?");
    view_.updateSelDialog = [&] {
        const QStringList numbers = composer_.Open_Update_Sel_Num_SMS_Dialog();
        EXPECT_EQ(numbers, (QStringList{"1", "3"}));
        EXPECT_EQ(ComposerController::Selected_Numbers_Text(static_cast<int>(numbers.size())),
                  "Total Selected Numbers : 2");
        dialogs_.expectNotice("Please enter some text message.");
        EXPECT_FALSE(composer_.Update_Sel_Num_SMS_OK(QString()));
        dialogs_.expect(question, "No");
        EXPECT_FALSE(composer_.Update_Sel_Num_SMS_OK("fresh"));
        dialogs_.expect(question, "Yes");
        return composer_.Update_Sel_Num_SMS_OK(QString(1700, QLatin1Char('f'))) ? 1 : 0;
    };
    composer_.Update_Sel_Msgs_Btn();
    const QString cut(1600, QLatin1Char('f'));
    EXPECT_EQ(messagesOf(composer_), (QStringList{cut, "m2", cut, "m4"}));
}

struct EditCase {
    const char* name;
    QString field;
    bool skipDuplicate;
    bool exclusion;
    QString refusal;  // "" when accepted
    QString stored;
};

TEST(UpdateNumSms, validatesOnlyAChangedNumber) {
    const QString invalid = "\nPlease enter a valid phone number.";
    const QString exists = "\nEntered number already exists.";
    const QString excluded = "\nEntered number is in exclusion list.";
    const std::vector<EditCase> cases = {
        {"unchanged number kept even when invalid", "12 x", true, true, "", "12 x"},
        {"cleaned", " +44 77-1 ", false, false, "", "+44771"},
        {"empty", "  ", false, false, invalid, ""},
        {"duplicate", "2", true, false, exists, ""},
        {"duplicate allowed with the option off", "2", false, true, "", "2"},
        {"excluded", "9", false, true, excluded, ""},
        {"excluded allowed with the option off", "9", true, false, "", "9"},
        {"duplicate before exclusion", "3", true, true, exists, ""},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        ComposerController composer(ComposerKind::Gsm);
        RecordingView view(composer);
        composer.Create_Num_Msg_List("12 x", "old");
        composer.Create_Num_Msg_List("2", QString());
        composer.Create_Num_Msg_List("3", QString());
        composer.Fill_Exclusion_Num_List({"9", "3"});
        composer.Skip_Duplicate_Chk(c.skipDuplicate);
        composer.Exclusion_Chk(c.exclusion);
        if (!c.refusal.isEmpty()) {
            dialogs.expectNotice(c.refusal);
        }
        const bool accepted =
            composer.Update_Num_SMS_OK(0, "12 x", c.field, QString(1601, QLatin1Char('n')));
        EXPECT_EQ(accepted, c.refusal.isEmpty());
        const auto row = composer.list().at(0);
        EXPECT_EQ(row.Number, accepted ? c.stored : "12 x");
        EXPECT_EQ(row.Message, accepted ? QString(1600, QLatin1Char('n')) : "old");
    }
}

TEST_F(ComposerTest, UpdateNumSmsOwnRowIsNotItsOwnDuplicate) {
    composer_.Create_Num_Msg_List("5551", QString());
    composer_.Create_Num_Msg_List("777", QString());
    composer_.Skip_Duplicate_Chk(true);
    EXPECT_TRUE(composer_.Update_Num_SMS_OK(0, "5551", "555-1", "m"));
    EXPECT_EQ(composer_.list().at(0).Number, "5551");
    EXPECT_EQ(composer_.Check_Duplicate_Number("5551"), 1);
}

}  // namespace
