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
        {"顧客", ""},  // above 255
        {"   ", "Please enter exclusion list name."},
        {"a:b", valid},
        {QStringLiteral("Caf\u00E9"), valid},  // 233
        {QStringLiteral("a\u0001b"), valid},
        {"ExListIndex", "Please enter the another name."},
        {" ExListIndex ", "Please enter the another name."},
        {"Staff", "Entered exclusion list name already exists."},
        {"staff", ""}};
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(Check_Exclusion_List_Name(name, {"Staff", "VIP customers"}), message)
            << name.toStdString();
    }
}

using ExclusionFiles = DataFolderTest;

// The lists' own files: blank lines ignored, entries trimmed, a missing file is empty.
TEST_F(ExclusionFiles, ListFilesAreReadTrimmed) {
    EXPECT_EQ(Read_Entry_File(write("e.VORN", "  A \n\n \t\nB\r\nC")),
              (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(Read_Entry_File(dir_.filePath("x")).isEmpty());
}

}  // namespace
