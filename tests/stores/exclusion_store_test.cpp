#include "stores/exclusion_store.h"
#include "appstate/data_paths.h"
#include "composer/composer_controller.h"
#include "store_test.h"

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

// Checked in order: blank, characters, the index file's own name, names taken.
TEST(ExclusionListNames, AreCheckedInOrder) {
    const QString valid = "Please enter a valid name.";
    const std::pair<QString, QString> cases[] = {
        {"Suppliers", ""},
        {"Πελάτες", ""},
        {"顧客", ""},  // above 255
        {"   ", "Please enter exclusion list name."},
        {"a:b", valid},
        {QStringLiteral("Caf\u00E9"), valid},  // 233
        {QStringLiteral("a\u0001b"), valid},
        {"a/b", valid},
        {"ExListIndex", "Please enter the another name."},
        {" ExListIndex ", "Please enter the another name."},
        {"Staff", "Entered exclusion list name already exists."},
        {"staff", ""},
        {"Staff?", valid}};
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(Check_Exclusion_List_Name(name, {"Staff", "VIP customers"}), message)
            << name.toStdString();
    }
}

TEST(ExclusionNumbers, TypedPlusBecomesDoubleZeroImportedKeepsIt) {
    EXPECT_EQ(Exclusion_Number("+44 7700-900123", true), "00447700900123");
    EXPECT_EQ(Exclusion_Number("+44 7700-900123", false), "+447700900123");
    EXPECT_EQ(Exclusion_Number("44+77", true), QString());
    EXPECT_EQ(Exclusion_Number(QString(21, QLatin1Char('1')), false), QString());
}

using ExclusionFiles = DataFolderTest;

TEST_F(ExclusionFiles, ImportKeepsPlusAndSkipsWhatTheListHolds) {
    bool ok = false;
    const QString text = write("n.txt", "+44 7700 900123\r\n00447700900123\r\n0777\nname\n0777\n");
    EXPECT_EQ(Exclusion_Numbers_From_File(text, {"00447700900123"}, &ok),
              (QStringList{"+447700900123", "0777"}))
        << "the typed 00 form and the imported + form are different numbers";
    EXPECT_TRUE(ok);
    // Records end at any line end and a record without a comma is one field.
    const QString csv = write("n.csv", "0711\n0722\n");
    EXPECT_EQ(Exclusion_Numbers_From_File(csv, {}, &ok), (QStringList{"0711", "0722"}));
    Exclusion_Numbers_From_File(dir_.filePath("none.txt"), {}, &ok);
    EXPECT_FALSE(ok);
    // The lists' own files: blank lines ignored, entries trimmed.
    const QString path = write("e.VORN", "  A \n\n \t\nB\r\nC");
    EXPECT_EQ(Read_Entry_File(path), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(Read_Entry_File(dir_.filePath("x")).isEmpty());
}

TEST_F(ExclusionFiles, AppliedListsGiveEveryNumberEvenTwice) {
    ASSERT_TRUE(Write_Entry_File(Exclusion_Index_Path, {"Staff", "VIP", "Gone"}));
    ASSERT_TRUE(Write_Entry_File(Exclusion_List_File("Staff"), {"0711", "0722"}));
    ASSERT_TRUE(Write_Entry_File(Exclusion_List_File("VIP"), {"0722", "+4479"}));
    ASSERT_TRUE(Write_Entry_File(Applied_Exclusion_Path, {"VIP", "Gone", "Staff"}));
    EXPECT_EQ(Applied_Exclusion_Numbers(), (QStringList{"0722", "+4479", "0711", "0722"}));

    // The composer's Exclusion List switch fills its set through the store.
    tesk::composer::ComposerController composer(tesk::composer::ComposerKind::Gsm);
    composer.Set_Exclusion_Loader([](tesk::composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List(Applied_Exclusion_Numbers());
    });
    composer.Exclusion_Chk(true);
    EXPECT_EQ(composer.exclusions().count(), 4);
    EXPECT_EQ(composer.Num_Able_To_insert("0722"), QString());
    EXPECT_EQ(composer.Num_Able_To_insert("0733"), "0733");
}

}  // namespace
