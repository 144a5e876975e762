#include "stores/exclusion_wizard.h"
#include "store_test.h"
#include "stores/exclusion_store.h"
#include "support/scripted_dialogs.h"

#include <functional>

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

using tesk::test::ScriptedDialogs;

const QString kContinue = "\nAre you sure you want to continue";
const QString kUnsavedNumbers =
    "\nYou have made changes in exclusion number list that have not been saved";
const QString kUnsavedApplied = "\nYou have made changes in 'Exclude when sending SMS' list";

class RecordingWizardView final : public ExclusionWizardView {
  public:
    void showScreen(WizardScreen shown) override { screen = shown; }
    void redrawLists() override {}
    void redrawNumbers() override {}
    void setNumberCount(const QString& text) override { count = text; }
    void setNumberField(const QString&) override {}
    int runUpdateNumberDialog(int row, const QString&) override {
        return updateDialog ? updateDialog(row) : 0;
    }
    void endModal(int code) override { ended = code; }
    void offerToOpenExportedFile(const QString& path) override { exported = path; }

    WizardScreen screen = WizardScreen::Lists;
    QString count;
    std::function<int(int)> updateDialog;
    int ended = -2;
    QString exported;
};

class Wizard : public DataFolderTest {
  protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        wizard_.Open_Exclusion_Wnd();
    }
    // Creates a list through the screens as a user does.
    void create(const QString& name, const QStringList& typed) {
        wizard_.AddNew_Btn();
        wizard_.Next_Btn(name);
        for (const QString& number : typed) {
            wizard_.Add_number_To_List(number);
        }
        dialogs_.expect(kContinue, "Yes");
        ASSERT_TRUE(wizard_.Finish_Btn());
    }
    // Staff (0711) and VIP (0722), both applied and saved.
    void createTwoApplied() {
        create("Staff", {"0711"});
        create("VIP", {"0722"});
        wizard_.Add_All_List_Btn();
        dialogs_.expect(kContinue, "Yes");
        wizard_.Save_Applied_Btn();
    }
    // Staff applied but not saved, open for editing with 0733 typed in and not saved.
    void editStaffUnsaved() {
        wizard_.Add_All_List_Btn();
        wizard_.Set_Selected_Available({0});
        wizard_.Update_Btn();
        wizard_.Add_number_To_List("0733");
    }

    ScriptedDialogs dialogs_;
    RecordingWizardView view_;
    int refreshes_ = 0;
    Exclusion_Wizard wizard_{&view_, [this] { ++refreshes_; }};
};

TEST_F(Wizard, NewListGoesThroughItsScreensIntoTheFiles) {
    wizard_.AddNew_Btn();
    dialogs_.expectNotice("\nPlease enter the another name.");  // the name rules are the store's
    wizard_.Next_Btn("ExListIndex");
    EXPECT_EQ(view_.screen, WizardScreen::Name);
    wizard_.Next_Btn(QString(60, QLatin1Char('n')));  // cut to 50 as typed
    EXPECT_EQ(view_.screen, WizardScreen::Numbers);

    wizard_.Add_number_To_List("+44 7700 900123");
    EXPECT_EQ(wizard_.numbers(), QStringList{"00447700900123"}) << "typed + is stored as 00";
    EXPECT_EQ(view_.count, "Total Numbers : 1");
    dialogs_.expectNotice("\nEntered number already exists.");
    wizard_.Add_number_To_List("0044 7700 900123");
    dialogs_.expectNotice("\nPlease enter a valid phone number.");
    wizard_.Add_number_To_List("07a");

    dialogs_.expect(kContinue, "No");
    EXPECT_FALSE(wizard_.Finish_Btn());
    dialogs_.expect(kContinue, "Yes");
    ASSERT_TRUE(wizard_.Finish_Btn());
    EXPECT_EQ(view_.screen, WizardScreen::Lists);
    EXPECT_EQ(Read_Entry_File(Exclusion_Index_Path), QStringList{QString(50, QLatin1Char('n'))});
    EXPECT_EQ(Read_Entry_File(Exclusion_List_File(QString(50, QLatin1Char('n')))),
              QStringList{"00447700900123"});
    EXPECT_EQ(refreshes_, 1);
}

TEST_F(Wizard, ImportKeepsPlusAndTellsWhenNothingCameIn) {
    wizard_.AddNew_Btn();
    wizard_.Next_Btn("Imported");
    wizard_.Add_number_To_List("+447700900123");  // stored 0044...
    const QString path = write("numbers.txt", "+447700900123\n00447700900123\n0711\n");
    wizard_.Load_File_Btn(path);
    EXPECT_EQ(wizard_.numbers(), (QStringList{"00447700900123", "+447700900123", "0711"}));
    dialogs_.expectNotice("Numbers are skipped because of duplicate number");
    wizard_.Load_File_Btn(path);
    dialogs_.expectNotice("\nPlease select a valid file.");
    wizard_.Load_File_Btn(dir_.filePath("missing.txt"));
}

TEST_F(Wizard, ApplyingAndSavingTheAppliedLists) {
    create("Staff", {"0711"});
    create("VIP", {"0722"});
    wizard_.Set_Selected_Available({1});
    wizard_.Add_List_Btn();
    EXPECT_EQ(wizard_.applied(), QStringList{"VIP"});
    dialogs_.expectNotice("\nSelected list is already in use.");
    wizard_.Add_List_Btn();
    wizard_.Add_All_List_Btn();
    dialogs_.expectNotice("\nAll available lists are already in use.");
    wizard_.Add_All_List_Btn();
    EXPECT_TRUE(Read_Entry_File(Applied_Exclusion_Path).isEmpty()) << "not saved yet";
    dialogs_.expect(kContinue, "Yes");
    const int before = refreshes_;
    wizard_.Save_Applied_Btn();
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), (QStringList{"VIP", "Staff"}));
    EXPECT_EQ(Applied_Exclusion_Numbers(), (QStringList{"0722", "0711"}));
    EXPECT_EQ(refreshes_, before + 1);

    wizard_.Set_Selected_Applied({0});
    wizard_.Remove_List_Btn();
    EXPECT_EQ(wizard_.applied(), QStringList{"Staff"});
    wizard_.Remove_All_List_Btn();
    dialogs_.expectNotice("\nExclude when sending SMS list is empty.");
    wizard_.Remove_All_List_Btn();
}

TEST_F(Wizard, DeletingAListAlsoRemovesItFromTheAppliedFile) {
    createTwoApplied();
    wizard_.Set_Selected_Available({0});
    dialogs_.expect("\nAre you sure you want delete the selected available list?", "Yes");
    wizard_.Delete_Btn();
    EXPECT_EQ(Read_Entry_File(Exclusion_Index_Path), QStringList{"VIP"});
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), QStringList{"VIP"});
    EXPECT_FALSE(QFile::exists(Exclusion_List_File("Staff")));
}

TEST_F(Wizard, RenameKeepsTheFilesInStep) {
    createTwoApplied();
    wizard_.Set_Selected_Available({0});
    wizard_.Update_Btn();
    wizard_.Update_ex_list_Name_Btn("Staff");  // same name: nothing at all
    dialogs_.expectNotice("\nEntered exclusion list name already exists.");
    wizard_.Update_ex_list_Name_Btn("VIP");
    EXPECT_TRUE(QFile::exists(Exclusion_List_File("Staff")));

    dialogs_.expect(kContinue, "Yes");
    wizard_.Update_ex_list_Name_Btn(QStringLiteral("Πελάτες"));
    EXPECT_EQ(Read_Entry_File(Exclusion_Index_Path), (QStringList{"Πελάτες", "VIP"}));
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), (QStringList{"Πελάτες", "VIP"}));
    EXPECT_FALSE(QFile::exists(Exclusion_List_File("Staff")));
    EXPECT_EQ(Read_Entry_File(Exclusion_List_File(QStringLiteral("Πελάτες"))), QStringList{"0711"});
}

TEST_F(Wizard, UpdatedNumbersKeepTheirPlusAndRefuseDuplicates) {
    create("Staff", {"0711", "0722"});
    wizard_.Set_Selected_Available({0});
    wizard_.Update_Btn();
    wizard_.Set_Selected_Numbers({0, 1});
    dialogs_.expectNotice("\nPlease select only one record to update.");
    wizard_.Update_Number_Btn();
    wizard_.Set_Selected_Numbers({1});
    view_.updateDialog = [&](int row) {
        dialogs_.expectNotice("\nEntered number already exists.");
        EXPECT_FALSE(wizard_.Update_Ex_Num_OK(row, "0711"));
        EXPECT_TRUE(wizard_.Update_Ex_Num_OK(row, "+44 7700"));
        return 1;
    };
    wizard_.Update_Number_Btn();
    EXPECT_EQ(wizard_.numbers(), (QStringList{"0711", "+447700"}));

    // The export writes the list as shown, under its header.
    dialogs_.expectFileToSave(dir_.filePath("staff.doc"));
    wizard_.Export_Number_Btn();
    ASSERT_EQ(view_.exported, dir_.filePath("staff.doc.txt"));
    const QString rule(76, QLatin1Char('='));
    EXPECT_EQ(QString::fromUtf8(readBytes(view_.exported)),
              rule + "\n\n\t\t\t[ Tesk SMS - Exclusion Number List ]\t\t\t\n\n" + rule +
                  "\n0711\n+447700\n");
}

TEST_F(Wizard, LeavingWithUnsavedChangesAsksBothQuestions) {
    // No to the first question closes without saving anything.
    create("Staff", {"0711"});
    editStaffUnsaved();
    dialogs_.expect(kUnsavedNumbers, "No");
    wizard_.Cancel_Btn();
    EXPECT_EQ(view_.ended, 0);
    EXPECT_EQ(Read_Entry_File(Exclusion_List_File("Staff")), QStringList{"0711"});
    EXPECT_TRUE(Read_Entry_File(Applied_Exclusion_Path).isEmpty());

    view_.ended = -2;
    wizard_.Open_Exclusion_Wnd();
    editStaffUnsaved();

    // Back: No stays on the numbers screen.
    dialogs_.expect(kUnsavedNumbers, "No");
    wizard_.Back_Btn();
    EXPECT_EQ(view_.screen, WizardScreen::Numbers);

    // Cancel: yes saves the numbers (with their confirmation), then the applied lists.
    dialogs_.expect(kUnsavedNumbers, "Yes");
    dialogs_.expect(kContinue, "Yes");
    dialogs_.expect(kUnsavedApplied, "Yes");
    wizard_.Cancel_Btn();
    EXPECT_EQ(view_.ended, 0);
    EXPECT_EQ(Read_Entry_File(Exclusion_List_File("Staff")), (QStringList{"0711", "0733"}));
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), QStringList{"Staff"});
}

}  // namespace
