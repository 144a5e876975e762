#include "stores/exclusion_store.h"
#include "appstate/data_paths.h"
#include "composer/composer_controller.h"
#include "support/param_names.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tesk::stores::Check_Exclusion_List_Name;

struct NameCase {
    const char* name;
    QString listName;
    QString message;  // "" accepted
};

class ExclusionListNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExclusionListNames, AreCheckedInOrder) {
    EXPECT_EQ(Check_Exclusion_List_Name(GetParam().listName, {"Staff", "VIP customers"}),
              GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Store, ExclusionListNames,
    ::testing::Values(
        NameCase{"plain", "Suppliers", ""}, NameCase{"greek_letters", "Πελάτες", ""},
        NameCase{"cjk_above_255", "顧客", ""},
        NameCase{"empty", "   ", "Please enter exclusion list name."},
        NameCase{"colon", "a:b", "Please enter a valid name."},
        NameCase{"code_233", QStringLiteral("Caf\u00E9"), "Please enter a valid name."},
        NameCase{"control_character", QStringLiteral("a\u0001b"), "Please enter a valid name."},
        NameCase{"slash", "a/b", "Please enter a valid name."},
        NameCase{"index_name", "ExListIndex", "Please enter the another name."},
        NameCase{"index_name_trimmed", " ExListIndex ", "Please enter the another name."},
        NameCase{"taken", "Staff", "Entered exclusion list name already exists."},
        NameCase{"taken_differs_in_case", "staff", ""},
        NameCase{"bad_characters_come_before_taken", "Staff?", "Please enter a valid name."}),
    tesk::test::ByCaseName());

TEST(ExclusionNumbers, TypedPlusBecomesDoubleZeroImportedKeepsIt) {
    EXPECT_EQ(tesk::stores::Exclusion_Number(QStringLiteral("+44 7700-900123"), true),
              QStringLiteral("00447700900123"));
    EXPECT_EQ(tesk::stores::Exclusion_Number(QStringLiteral("+44 7700-900123"), false),
              QStringLiteral("+447700900123"));
    EXPECT_EQ(tesk::stores::Exclusion_Number(QStringLiteral("44+77"), true), QString());
    EXPECT_EQ(tesk::stores::Exclusion_Number(QString(21, QLatin1Char('1')), false), QString());
}

class ExclusionFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        tesk::Set_Data_Paths(dir_.path());
        Check_Path_And_Create_Files();
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(ExclusionFiles, ImportKeepsPlusAndSkipsWhatTheListHolds) {
    bool ok = false;
    const QString text =
        write(QStringLiteral("n.txt"), "+44 7700 900123\r\n00447700900123\r\n0777\nname\n0777\n");
    EXPECT_EQ(
        tesk::stores::Exclusion_Numbers_From_File(text, {QStringLiteral("00447700900123")}, &ok),
        (QStringList{"+447700900123", "0777"}))
        << "the typed 00 form and the imported + form are different numbers";
    EXPECT_TRUE(ok);
    // Records end at any line end and a record without a comma is one field.
    const QString csv = write(QStringLiteral("n.csv"), "0711\n0722\n");
    EXPECT_EQ(tesk::stores::Exclusion_Numbers_From_File(csv, {}, &ok),
              (QStringList{"0711", "0722"}));
    tesk::stores::Exclusion_Numbers_From_File(dir_.filePath(QStringLiteral("none.txt")), {}, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(ExclusionFiles, AppliedListsGiveEveryNumberEvenTwice) {
    ASSERT_TRUE(tesk::stores::Write_Entry_File(Exclusion_Index_Path, {"Staff", "VIP", "Gone"}));
    ASSERT_TRUE(tesk::stores::Write_Entry_File(tesk::stores::Exclusion_List_File("Staff"),
                                               {"0711", "0722"}));
    ASSERT_TRUE(tesk::stores::Write_Entry_File(tesk::stores::Exclusion_List_File("VIP"),
                                               {"0722", "+4479"}));
    ASSERT_TRUE(tesk::stores::Write_Entry_File(Applied_Exclusion_Path, {"VIP", "Gone", "Staff"}));
    EXPECT_EQ(tesk::stores::Applied_Exclusion_Numbers(),
              (QStringList{"0722", "+4479", "0711", "0722"}));

    // The composer's Exclusion List switch fills its set through the store.
    tesk::composer::ComposerController composer(tesk::composer::ComposerKind::Gsm);
    composer.Set_Exclusion_Loader([](tesk::composer::ComposerController& c) {
        c.Fill_Exclusion_Num_List(tesk::stores::Applied_Exclusion_Numbers());
    });
    composer.Exclusion_Chk(true);
    EXPECT_EQ(composer.exclusions().count(), 4);
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("0722")), QString());
    EXPECT_EQ(composer.Num_Able_To_insert(QStringLiteral("0733")), QStringLiteral("0733"));
}

TEST_F(ExclusionFiles, EntryFilesIgnoreBlankLinesAndTrim) {
    const QString path = write(QStringLiteral("e.VORN"), "  A \n\n \t\nB\r\nC");
    EXPECT_EQ(tesk::stores::Read_Entry_File(path), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(tesk::stores::Read_Entry_File(dir_.filePath(QStringLiteral("x"))).isEmpty());
}

}  // namespace
