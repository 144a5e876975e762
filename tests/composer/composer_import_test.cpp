// Importing into the composer, from a file or pasted text, through the whole path: reading,
// the acceptance rules, the counts said afterwards, and files a user may pick by mistake.
#include "composer/composer_controller.h"
#include "recording_view.h"

namespace {

using namespace tesk::composer;
using namespace tesk::composer::test;

using tesk::test::ScriptedDialogs;
using ComposerImport = ComposerTest;

const QString kReplace = "\nDo you want to replace the current list?";

// A spreadsheet's export imported into a list that holds 07700900001 with Skip Duplicate Numbers
// and Exclusion List (07700900999) on: every number left out is accounted for, by reason, with
// the notes on scientific notation and the phone column (the reading itself is the import
// reader's, checked in its own suite).
TEST_F(ComposerImport, whatIsLeftOutIsCountedByReason) {
    composer_.Create_Num_Msg_List("07700900001", QString());
    composer_.Skip_Duplicate_Chk(true);
    composer_.Exclusion_Chk(true);
    composer_.Fill_Exclusion_Num_List({"07700900999"});
    dialogs_.expectNotice("Imported");
    EXPECT_EQ(
        composer_.Load_Num_Func(write("kontakte.csv",
                                      "Name;Telefon\r\nJos\xE9;0770 0900 002\r\nAnn;"
                                      "07700900001\r\nBob;07700900999\r\nCy;4.47911E+11\r\n")),
        1);
    EXPECT_EQ(composer_.list().numbers(), (QStringList{"07700900001", "07700900002"}));
    EXPECT_EQ(
        dialogs_.messages(),
        QStringList{QStringLiteral(
            "\nImported 1 number. Left out 3: 1 invalid, 1 duplicate, 1 excluded.\n\n"
            "Numbers such as 4.47911E+11 were saved by a spreadsheet in scientific "
            "notation, which has lost their last digits. Format the column as text in "
            "the spreadsheet and save the file again.\n\nOnly the column \"Telefon\" was "
            "imported: the first line of the file names it as the column of phone numbers.")});
}

// Contact lists carry ids, dates and times beside the numbers, and each passes for a number:
// without a header naming the phone column (read alone by the import reader) every field
// counts, and the user decides about the short ones.
TEST_F(ComposerImport, shortNumbersAreConfirmed) {
    const QByteArray rows = "1,20240102,1230,Ann,+447700900001\n2,20240103,0915,Bob,0770090\n";
    const QString shortOnes = QStringLiteral(
        "The following imported numbers have fewer than 7 digits and may be ids, dates or times "
        "rather than phone numbers:\n\n1\n1230\n2\n0915\n\nDo you want to keep them in the list?");
    dialogs_.expect(shortOnes, "No");
    dialogs_.expectNotice("Imported 4 numbers.");
    EXPECT_EQ(composer_.Load_Num_Func(write("plain.csv", rows)), 4);
    EXPECT_EQ(composer_.list().numbers(),
              (QStringList{"20240102", "+447700900001", "20240103", "0770090"}));

    dialogs_.expect(shortOnes, "Yes");
    dialogs_.expectNotice("Imported 8 numbers.");
    EXPECT_EQ(composer_.Load_Num_Func(write("plain.csv", rows)), 8);
    EXPECT_EQ(composer_.list().count(), 12);
}

// Cancel stops, No appends, Yes empties the list first; the file is read on the worker, every
// number gets the composer text, and a Yes without a file still empties the list.
TEST_F(ComposerImport, loadNumberAsksWhetherToReplaceTheList) {
    composer_.textDidChange("Hi there");
    composer_.Create_Num_Msg_List("1", QString());
    const QString path = write("n.txt", "2000000\n2100000\n");
    dialogs_.expect(kReplace, "Cancel");
    composer_.Load_Number();
    dialogs_.expect(kReplace, "No");
    dialogs_.expectFilesToOpen({path});
    dialogs_.expectNotice("Imported 2 numbers.");
    composer_.Load_Number();
    composer_.Wait_For_Import();
    EXPECT_EQ(composer_.list().numbers(), (QStringList{"1", "2000000", "2100000"}));

    view_.clearCalls();
    dialogs_.expect(kReplace, "Yes");
    dialogs_.expectFilesToOpen({path});
    dialogs_.expectNotice("Imported 2 numbers.");
    composer_.Load_Number();
    composer_.Wait_For_Import();
    EXPECT_FALSE(composer_.Import_Running());
    EXPECT_EQ(composer_.list().items(),
              (QList<ListItem>{{"2000000", "Hi there"}, {"2100000", "Hi there"}}));
    EXPECT_EQ(view_.calls(), (QStringList{"redraw", "send-", "wait+", "wait-", "redraw", "send+"}))
        << "the emptied list is shown first";

    view_.clearCalls();
    dialogs_.expect(kReplace, "Yes");
    dialogs_.expectFilesToOpen({});
    composer_.Load_Number();
    EXPECT_FALSE(composer_.Import_Running());
    EXPECT_EQ(composer_.list().count(), 0);
    EXPECT_FALSE(view_.calls().contains("send-"));
}

TEST_F(ComposerImport, aTypedNumberMustBeAddedFirst) {
    composer_.controlTextDidChange("123");
    dialogs_.expectNotice("\nPlease insert entered number to the list.");
    composer_.Load_Number();
    dialogs_.expectNotice("\nPlease insert entered number to the list.");
    composer_.Manually_Add_Btn();
    EXPECT_EQ(composer_.list().count(), 0);
}

TEST_F(ComposerImport, pastedSpreadsheetColumnsAreSplitAtTabs) {
    composer_.textDidChange("msg");
    view_.pasteDialog = [this] {
        dialogs_.expectNotice("\nNo item to insert in list.");
        EXPECT_FALSE(composer_.Manually_Add_OK(QString()));
        dialogs_.expectNotice("Imported 3 numbers. Left out 1: 1 invalid.");
        return composer_.Manually_Add_OK("Ann\t+44 1\tx\nBob\t0044-2\t01.02.2024\n3\nCy\t(0)4.5\n");
    };
    composer_.Manually_Add_Btn();
    EXPECT_EQ(composer_.list().items(),
              (QList<ListItem>{{"+441", "msg"}, {"00442", "msg"}, {"3", "msg"}}));

    // Appending what is already there adds nothing.
    composer_.Skip_Duplicate_Chk(true);
    view_.pasteDialog = [this] { return composer_.Manually_Add_OK("3\n+441"); };
    dialogs_.expect(kReplace, "No");
    dialogs_.expectNotice(kImportFailure);
    composer_.Manually_Add_Btn();
    EXPECT_EQ(composer_.list().count(), 3);
    EXPECT_EQ(dialogs_.requests().last().informativeText, "Left out 2: 2 duplicates.");

    // A cancelled dialog says nothing.
    view_.pasteDialog = [] { return false; };
    dialogs_.expect(kReplace, "No");
    composer_.Manually_Add_Btn();
}

// A file a user picks by mistake ends in the failure message, never in a crash or a hang; the
// please-wait sheet comes down and the numbers that were in the list before stay there. (Which
// files the reader refuses is its own suite's.)
TEST_F(ComposerImport, aRefusedFileEndsInTheMessageAndKeepsTheList) {
    composer_.Create_Num_Msg_List("+447700900001", QString());
    view_.clearCalls();
    dialogs_.expectNotice(kImportFailure);
    EXPECT_EQ(composer_.Load_Num_Func(
                  write("photo.txt", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x02\x80", 20))),
              0);
    EXPECT_EQ(composer_.list().numbers(), QStringList{"+447700900001"});
    EXPECT_EQ(view_.calls(), (QStringList{"wait+", "wait-"}));
}

}  // namespace
