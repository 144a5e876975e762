#include "stores/sent_items_controller.h"
#include "appstate/selection_state.h"
#include "composer/recording_view.h"
#include "store_test.h"
#include "stores/store_file.h"

#include <sys/stat.h>

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::test::ScriptedDialogs;

const QString kStatusQuestion = "\nWhich sent items do you want to export?";
const QString kFormatQuestion = "\nIn which format do you want to export?";

class RecordingSentItemsView final : public SentItemsView {
  public:
    void redrawTable() override {}
    void selectRows(const QList<int>&) override {}
    void setCountLabel(const QString& text) override { count = text; }
    void setDetails(const QString& text) override { details = text; }
    void endModal(int code) override { ended = code; }
    void offerToOpenExportedFile(const QString& path) override { exported = path; }

    QString count;
    QString details;
    int ended = -2;
    QString exported;
};

const QList<SentItem> kStored{
    {"+447700900001", "Hello\nthere", "05/12/2026", "Message sent successfully."},
    {"07700900002", "Second", "06/12/2026", "+CMS ERROR: 500"},
    {"07700900003", "Third", "07/12/2026", "Message sent to device."}};

class SentItemsWindow : public DataFolderTest {
  protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        ASSERT_TRUE(Rewrite_Sent_Items(Sent_Item_Path, kStored, false));
        ASSERT_TRUE(Rewrite_Sent_Items(Sent_Item_Path_Android, kStored, false));
    }
    ScriptedDialogs dialogs_;
    ComposerController composer_{ComposerKind::Gsm};
    tesk::composer::test::RecordingView composerView_{composer_};
    RecordingSentItemsView view_;
    Sent_Items window_{tesk::kGsmMode, composer_, &view_};
};

TEST_F(SentItemsWindow, LoadsTheModeFileAndShowsDetailsOfTheHighlightedEntry) {
    window_.Load();
    EXPECT_EQ(window_.items(), kStored);
    window_.Set_Selected_Rows({0});
    EXPECT_EQ(view_.details, QStringLiteral("Number\t: +447700900001\r\n\r\nMessage\t: Hello\nthere"
                                            "\r\n\r\nDate\t\t: 05/12/2026\r\n\r\nStatus\t: Message "
                                            "sent successfully."));

    RecordingSentItemsView androidView;
    Sent_Items android(tesk::kAndroidMode, composer_, &androidView);
    android.Load();
    android.Set_Selected_Rows({2});
    EXPECT_EQ(androidView.details, QStringLiteral("Number\t: 07700900003\r\n\r\nMessage\t: Third"
                                                  "\r\n\r\nDate\t\t: 07/12/2026"));

    // The chosen entries go into the composer (its list rules are its own suite's).
    window_.Set_Selected_Rows({0, 1});
    dialogs_.expectNotice("\nSelected sent items inserted in SMS Composer successfully.");
    window_.Send_To_Main_Wnd_Btn();
    EXPECT_EQ(composer_.list().items(),
              (QList<tesk::composer::ListItem>{{"+447700900001", "Hello\nthere"},
                                               {"07700900002", "Second"}}));
}

TEST_F(SentItemsWindow, DeletingAsksForASelectionAndDeleteAllEmptiesTheFile) {
    dialogs_.expectNotice(kSentItemsEmpty);
    window_.Clear_Sel_Btn();  // not loaded yet: empty
    window_.Load();
    dialogs_.expectNotice(kSelectSentItem);
    window_.Clear_Sel_Btn();
    window_.Set_Selected_Rows({2, 0});
    window_.Clear_Sel_Btn();
    EXPECT_EQ(window_.items(), QList<SentItem>{kStored.at(1)});
    window_.Cancel_Btn();
    EXPECT_EQ(view_.ended, 0);

    // Delete All asks, and empties the file at once.
    const QString question = "\nThis option will clear the entire list contents.";
    dialogs_.expect(question, "No");
    window_.Clear_All_Btn();
    EXPECT_EQ(window_.items().size(), 1);
    dialogs_.expect(question, "Yes");
    window_.Clear_All_Btn();
    EXPECT_TRUE(window_.items().isEmpty());
    EXPECT_TRUE(QFile::exists(Sent_Item_Path));
    EXPECT_EQ(QFile(Sent_Item_Path).size(), 0);
    EXPECT_EQ(view_.count, "Total Items : 0");
}

// A rewrite replaces the file by another.
ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// Closing leaves an unchanged file alone (not even replaced by a copy); after a deletion only
// the deleted record goes: a kept entry keeps its status in the Android file, which the window
// does not show, and records appended by a sending run while the window was open stay.
TEST_F(SentItemsWindow, ClosingRewritesOnlyAfterADeletionAndKeepsWhatItDidNotDelete) {
    const int mode = tesk::kAndroidMode;
    const QString path = Sent_Item_Path_Android;
    const QByteArray before = Read_Store_File(path);
    const auto inode = inodeOf(path);
    RecordingSentItemsView view;
    Sent_Items window(mode, composer_, &view);
    window.Load();
    window.Cancel_Btn();
    EXPECT_EQ(Read_Store_File(path), before);
    EXPECT_EQ(inodeOf(path), inode) << "an unchanged file is not rewritten";

    window.Load();
    window.Set_Selected_Rows({1});
    window.Clear_Sel_Btn();
    EXPECT_EQ(Read_Store_File(path), before);  // until the window closes
    const SentItem late{"07700900004", "Late", "08/12/2026", "Message sent successfully."};
    ASSERT_TRUE(Append_Sent_Item(mode, late));
    window.Cancel_Btn();
    EXPECT_EQ(LoadItems_Sent_Items(path), (QList<SentItem>{kStored.at(0), kStored.at(2), late}));
}

// Each export asks which entries and which format, and writes just those entries; a choice that
// leaves nothing, a cancel and a file that cannot be written write nothing. (The HTML choice is
// the templates window's; both ask the same question.)
TEST_F(SentItemsWindow, ExportsTheChosenEntriesInTheChosenFormat) {
    window_.Load();
    dialogs_.expect(kStatusQuestion, "Sent Successfully");
    dialogs_.expect(kFormatQuestion, "Text");
    dialogs_.expectFileToSave(dir_.filePath("report.TXT"));
    window_.Export_Btn();
    EXPECT_EQ(view_.exported, dir_.filePath("report.TXT"));
    EXPECT_EQ(readReport(view_.exported),
              Sent_Items_Report({kStored.at(0), kStored.at(2)}, ReportFormat::Text, true));

    view_.exported.clear();
    dialogs_.expect(kStatusQuestion, "Cancel");
    window_.Export_Btn();
    dialogs_.expect(kStatusQuestion, "All Items");
    dialogs_.expect(kFormatQuestion, "Text");
    dialogs_.expectFileToSave(dir_.filePath("no/such/folder/report"));
    dialogs_.expectNotice("\nError in file accessing.");
    window_.Export_Btn();
    EXPECT_EQ(view_.exported, QString());

    ASSERT_TRUE(Rewrite_Sent_Items(Sent_Item_Path, {kStored.at(0)}, false));
    window_.Load();
    dialogs_.expect(kStatusQuestion, "Not Sent");
    dialogs_.expectNotice("\nThere is no item for selected Export Option.");
    window_.Export_Btn();
    EXPECT_EQ(view_.exported, QString());

    // The Android window shows no statuses: no question about them, none in the report.
    RecordingSentItemsView androidView;
    Sent_Items android(tesk::kAndroidMode, composer_, &androidView);
    android.Load();
    dialogs_.expect(kFormatQuestion, "Text");
    dialogs_.expectFileToSave(dir_.filePath("android"));
    android.Export_Btn();
    EXPECT_EQ(androidView.exported, dir_.filePath("android.txt"));
    EXPECT_EQ(readReport(androidView.exported),
              Sent_Items_Report(kStored, ReportFormat::Text, false));
}

}  // namespace
