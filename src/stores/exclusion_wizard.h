#pragma once
// The logic of the exclusion-list wizard: the available and applied lists, creating a list
// (name screen, then number screen), editing, renaming and deleting one, applying lists, the
// numbers of the list being edited (typed, imported, updated, removed, exported), and leaving
// with unsaved changes. No widgets: the window reaches it through ExclusionWizardView, message
// boxes go through the dialogs port.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tesk::stores {

enum class WizardScreen { Lists, Name, Numbers };

class ExclusionWizardView {
  public:
    virtual ~ExclusionWizardView() = default;
    virtual void showScreen(WizardScreen screen) = 0;
    virtual void redrawLists() = 0;                        // available and applied
    virtual void redrawNumbers() = 0;                      // the numbers of the list being edited
    virtual void setNumberCount(const QString& text) = 0;  // "Total Numbers : %d"
    virtual void setNumberField(const QString& text) = 0;
    // The update dialog for one number; its OK calls Update_Ex_Num_OK. Returns its end code.
    virtual int runUpdateNumberDialog(int row, const QString& number) = 0;
    virtual void endModal(int code) = 0;
    virtual void offerToOpenExportedFile(const QString& path) = 0;
};

class Exclusion_Wizard {
  public:
    // `refreshComposer` rebuilds the active composer's exclusion numbers (it decides whether its
    // Exclusion List option is on); called after every save, delete and rename.
    Exclusion_Wizard(ExclusionWizardView* view, std::function<void()> refreshComposer);

    const QStringList& available() const { return available_; }
    const QStringList& applied() const { return applied_; }
    const QStringList& numbers() const { return numbers_; }
    QString listName() const { return listName_; }
    WizardScreen screen() const { return screen_; }
    bool unsavedNumbers() const { return backFlag_; }
    bool unsavedApplied() const { return updateAppEx_; }
    QString Number_Count_Text() const;

    void Set_Selected_Available(const QList<int>& rows) { selAvailable_ = rows; }
    void Set_Selected_Applied(const QList<int>& rows) { selApplied_ = rows; }
    void Set_Selected_Numbers(const QList<int>& rows) { selNumbers_ = rows; }

    void Open_Exclusion_Wnd();
    void AddNew_Btn();
    void Next_Btn(const QString& name);
    void Update_Btn();
    void Update_By_Applied_List();
    void Delete_Btn();
    void Add_List_Btn();
    void Add_All_List_Btn();
    void Remove_List_Btn();
    void Remove_All_List_Btn();
    void Save_Applied_Btn();

    void Add_number_To_List(const QString& numberField);
    void Update_Number_Btn();
    bool Update_Ex_Num_OK(int row, const QString& text);
    void Remove_Number_Btn();
    void Browse_Btn();  // chooses a file, then Load_File_Btn
    void Load_File_Btn(const QString& path);
    void Export_Number_Btn();

    // Saves the list being created or edited after its confirmation; true when saved.
    bool Finish_Btn();
    void Update_ex_list_Name_Btn(const QString& newName);
    void Back_Btn();
    void Cancel_Btn();

  private:
    bool Save_Applied_List();
    // Applies the lists not applied yet; false when every one already was.
    bool applyLists(const QStringList& names);
    void appliedListChanged();
    bool editRow(const QList<int>& selection, const QStringList& names, const QString& emptyText,
                 const QString& noneText);
    bool openList(const QString& name);
    void showNumbers();
    void toLists();

    ExclusionWizardView* view_;
    std::function<void()> refreshComposer_;
    QStringList available_;
    QStringList applied_;
    QStringList numbers_;
    QList<int> selAvailable_;
    QList<int> selApplied_;
    QList<int> selNumbers_;
    int addCount_ = 0;     // 1 naming a new list, 2 entering its numbers
    int updateCount_ = 0;  // 3 editing a stored list
    bool backFlag_ = false;
    bool updateAppEx_ = false;
    QString listName_;
    WizardScreen screen_ = WizardScreen::Lists;
};

}  // namespace tesk::stores
