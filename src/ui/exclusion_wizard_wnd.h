#pragma once
// Exclusion_Wizard's window: three screens in one dialog (the lists, the name of a new list,
// the numbers of the list being created or edited) over the wizard controller.
#include "stores/exclusion_wizard.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;
class QStringListModel;

namespace tesk::ui {

class ExclusionWizardWnd : public QDialog, public stores::ExclusionWizardView {
    Q_OBJECT
  public:
    // `refreshComposer` rebuilds the active composer's exclusion numbers.
    ExclusionWizardWnd(std::function<void()> refreshComposer, QWidget* parent = nullptr);

    stores::Exclusion_Wizard& controller() { return controller_; }
    QListView* availableList() const { return available_; }
    QListView* appliedList() const { return applied_; }
    QListView* numberList() const { return numbers_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* numberField() const { return number_; }
    QLineEdit* renameField() const { return rename_; }
    QString countText() const;
    int currentScreen() const;
    QPushButton* button(const QString& objectName) const;

    void showScreen(stores::WizardScreen screen) override;
    void redrawLists() override;
    void redrawNumbers() override;
    void setNumberCount(const QString& text) override;
    void setNumberField(const QString& text) override;
    int runUpdateNumberDialog(int row, const QString& number) override;
    void endModal(int code) override;
    void offerToOpenExportedFile(const QString& path) override;
    void reject() override { controller_.Cancel_Btn(); }

  private:
    QWidget* buildListsScreen();
    QWidget* buildNameScreen();
    QWidget* buildNumbersScreen();

    stores::Exclusion_Wizard controller_;
    QStackedWidget* pages_ = nullptr;
    QListView* available_ = nullptr;
    QListView* applied_ = nullptr;
    QListView* numbers_ = nullptr;
    QStringListModel* availableModel_ = nullptr;
    QStringListModel* appliedModel_ = nullptr;
    QStringListModel* numbersModel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* rename_ = nullptr;
    QLabel* listTitle_ = nullptr;
    QLabel* count_ = nullptr;
};

}  // namespace tesk::ui
