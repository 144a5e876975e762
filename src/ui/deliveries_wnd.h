#pragma once
// Deliveries and replies: what the status reports said of the messages sent with a report
// requested, and the messages recipients sent back (with the opt-outs among them). The window
// reads the data folder's files at each refresh, so reports that the sending runs or the
// command line's listener write while it is open appear within seconds.
#include <QDialog>

class QTabWidget;
class QTimer;
class QLabel;

namespace tesk::ui {

class RecordTableModel;

class DeliveriesWnd : public QDialog {
    Q_OBJECT
  public:
    explicit DeliveriesWnd(QWidget* parent = nullptr);

    // Reads both files again and shows them.
    void refresh();
    // Writes the inbox as text (one message per block) to `path`; false when it cannot.
    bool exportInbox(const QString& path) const;
    // Reads the reports and replies the chosen devices hold (those left stored after a run),
    // then says how many.
    void readDevices();

  private:
    void exportInboxAsked();

    RecordTableModel* deliveries_ = nullptr;
    RecordTableModel* inbox_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* summary_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace tesk::ui
