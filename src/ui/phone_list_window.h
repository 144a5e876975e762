#pragma once
// The phone connection window of the Android mode over Phone_List_Wnd: what the detection
// found out about the one attached phone, the test message, the status report of adb's view
// of the phone, and the choice to send through it. The controller outlives the window.
#include "android/phone_list_wnd.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QGroupBox;

namespace tesk::ui {

class PleaseWaitSheet;
class RecordTableModel;

class PhoneListWindow : public QDialog, public android::PhoneListView {
    Q_OBJECT
  public:
    explicit PhoneListWindow(android::Phone_List_Wnd& controller, QWidget* parent = nullptr);
    ~PhoneListWindow() override;

    android::Phone_List_Wnd& controller() { return controller_; }
    QTableView* table() const { return table_; }
    QLineEdit* testNumberField() const { return testNumber_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* button(const QString& objectName) const;

    // PhoneListView
    void redrawRows() override;
    void selectRow(int row) override;
    void scrollToTop() override;
    void showControls(const android::PhoneWindowControls& controls) override;
    void showProgress(int value) override;
    void showPleaseWait(bool shown) override;
    void setTestNumberField(const QString& text) override;
    void focusRows() override;
    void focusTestNumber() override;
    void endModal(int code) override;
    bool askAboutPhone(const QString& question) override;

    // Closing the window is going on without a phone.
    void reject() override { controller_.ContinueOfflinePressed(); }

  private:
    QWidget* buildTestMessage(QWidget* parent);
    QWidget* buildButtons(QWidget* parent);

    android::Phone_List_Wnd& controller_;
    QWidget* content_ = nullptr;
    QTableView* table_ = nullptr;
    RecordTableModel* model_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QGroupBox* testBox_ = nullptr;
    QLineEdit* testNumber_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* status_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* offline_ = nullptr;
    QPushButton* select_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
