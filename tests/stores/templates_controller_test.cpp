#include "stores/templates_controller.h"
#include "composer/recording_view.h"
#include "store_test.h"
#include "stores/reports.h"
#include "stores/templates.h"

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::test::ScriptedDialogs;

const QString kSelectOne =
    "\nPlease select at least one record from the templates list to continue.";
const QString kExists = "\nEntered template already exists.";
const QString kMoved = QStringLiteral(
    "\nSelected template message has been moved to Message Composer window of Software.");
const QString kLimitQuestion = "Maximum characters limit is 1600.";

class RecordingTemplatesView final : public TemplatesView {
  public:
    void redrawTable() override {}
    void selectRows(const QList<int>&) override {}
    void setCountLabel(const QString& text) override { count = text; }
    void endModal(int code) override { ended = code; }
    int runEditor(const QString&, const QString& text, int) override {
        editorText = text;
        return 0;
    }
    void offerToOpenExportedFile(const QString& path) override { exported = path; }

    QString count;
    int ended = -2;
    QString editorText;
    QString exported;
};

class TemplatesWindow : public DataFolderTest {
  protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        ASSERT_TRUE(Write_Template_file(Templates_Path,
                                        {"Welcome!", "See you\nat 9", "Thanks for your order."}));
        window_.Load();
    }

    ScriptedDialogs dialogs_;
    ComposerController composer_{ComposerKind::Gsm};
    RecordingTemplatesView view_;
    Templates window_{composer_, &view_};
};

TEST_F(TemplatesWindow, EditorAddsAndUpdatesWithoutDuplicates) {
    dialogs_.expectNotice(kSelectOne);
    window_.Update_Btn();
    window_.Set_Selected_Rows({0, 2});
    dialogs_.expectNotice("\nPlease select only one record to update.");
    window_.Update_Btn();
    window_.AddNew_Btn();
    dialogs_.expectNotice("\nPlease type template message.");
    EXPECT_FALSE(window_.Editor_OK(QString(), -1));
    dialogs_.expectNotice(kExists);
    EXPECT_FALSE(window_.Editor_OK("Welcome!", -1));
    EXPECT_TRUE(window_.Editor_OK(QString(1700, QLatin1Char('z')), -1));
    EXPECT_EQ(window_.templates().last().size(), 1600);
    EXPECT_EQ(view_.count, "Total Items : 4");

    // Update: its own text is fine, another template's text is not.
    window_.Set_Selected_Rows({1});
    window_.Update_Btn();
    EXPECT_EQ(view_.editorText, "See you\nat 9");
    EXPECT_TRUE(window_.Editor_OK("See you\nat 9", 1));
    dialogs_.expectNotice(kExists);
    EXPECT_FALSE(window_.Editor_OK("Welcome!", 1));
    EXPECT_TRUE(window_.Editor_OK("See you at 10", 1));
    EXPECT_EQ(window_.templates().at(1), "See you at 10");
    EXPECT_EQ(Templates::Editor_Count_Text(QString(2000, QLatin1Char('q'))), "1600 Characters");
}

TEST_F(TemplatesWindow, DeletionsReachTheFileWhenTheWindowClosesAndExportsWriteTheRest) {
    window_.Set_Selected_Rows({0, 2});
    window_.Clear_Sel_Btn();
    EXPECT_EQ(window_.templates(), QStringList{"See you\nat 9"});
    EXPECT_EQ(LoadItems_templates(Templates_Path).size(), 3);
    window_.Cancel_Btn();
    EXPECT_EQ(view_.ended, 0);
    EXPECT_EQ(LoadItems_templates(Templates_Path), QStringList{"See you\nat 9"});

    // The HTML export writes what the list holds.
    dialogs_.expect("\nIn which format do you want to export?", "HTML");
    dialogs_.expectFileToSave(dir_.filePath("templates"));
    window_.Export_Btn();
    ASSERT_EQ(view_.exported, dir_.filePath("templates.html"));
    EXPECT_EQ(readReport(view_.exported),
              Templates_Report(window_.templates(), ReportFormat::Html));

    dialogs_.expect("clear the entire list contents", "Yes");
    window_.Clear_All_Btn();
    EXPECT_TRUE(window_.templates().isEmpty());
    EXPECT_EQ(QFile(Templates_Path).size(), 0);
    for (const auto& [action, text] :
         {std::pair{&Templates::Clear_All_Btn, "\nTemplates items list is empty."},
          std::pair{&Templates::Clear_Sel_Btn, "\nTemplates list is empty."},
          std::pair{&Templates::Update_Btn, "\nTemplates number list is empty."}}) {
        dialogs_.expectNotice(QString::fromUtf8(text));
        (window_.*action)();
    }
}

TEST_F(TemplatesWindow, UseGoesIntoTheComposerAtItsCursor) {
    composer_.textDidChange("Hello  bye");
    composer_.Set_Composer_Selection(6, 6);
    window_.Set_Selected_Rows({0});
    dialogs_.expectNotice(kMoved);
    window_.Use_template_Btn();
    EXPECT_EQ(composer_.composerText(), "Hello Welcome! bye");

    // A selection is replaced.
    composer_.Set_Composer_Selection(0, 5);
    window_.Set_Selected_Rows({2});
    dialogs_.expectNotice(kMoved);
    window_.Use_template_Btn();
    EXPECT_EQ(composer_.composerText(), "Thanks for your order. Welcome! bye");

    window_.Set_Selected_Rows({0, 1});
    dialogs_.expectNotice("\nPlease select only one record.");
    window_.Use_template_Btn();
}

TEST_F(TemplatesWindow, PastSixteenHundredTheUserDecides) {
    ASSERT_TRUE(window_.Editor_OK(QString(100, QLatin1Char('t')), -1));
    window_.Set_Selected_Rows({3});
    composer_.textDidChange(QString(1550, QLatin1Char('c')));

    dialogs_.expect(kLimitQuestion, "No");
    window_.Use_template_Btn();
    EXPECT_EQ(composer_.composerText().size(), 1550);

    dialogs_.expect(kLimitQuestion, "Yes");
    dialogs_.expectNotice(kMoved);
    window_.Use_template_Btn();
    EXPECT_EQ(composer_.composerText(), QString(1550, 'c') + QString(50, 't'));
}

}  // namespace
