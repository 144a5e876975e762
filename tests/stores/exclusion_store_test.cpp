#include "stores/exclusion_store.h"
#include "appstate/data_paths.h"
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

using ExclusionFiles = DataFolderTest;

// What keeps a plus and what is skipped is tried through the wizard's import.
TEST_F(ExclusionFiles, ImportReadsAnyLineEndsAndTheListFilesAreTrimmed) {
    bool ok = false;
    // Records end at any line end and a record without a comma is one field.
    const QString csv = write("n.csv", "0711\n0722\n");
    EXPECT_EQ(Exclusion_Numbers_From_File(csv, {}, &ok), (QStringList{"0711", "0722"}));
    EXPECT_TRUE(ok);
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
}

}  // namespace
