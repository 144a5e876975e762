#pragma once
// The please-wait sheet: a box over a window's content while long work runs. It covers the
// content and disables it, so the user cannot change the list meanwhile, but it never blocks the
// event loop (the work reports through queued calls and must reach the window). During an
// import it also says how many numbers have been read.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tesk::ui {

class PleaseWaitSheet final : public QWidget {
    Q_OBJECT
  public:
    // `content` is the widget that is disabled while the sheet is up (not owned).
    PleaseWaitSheet(QWidget* content, QWidget* parent);

    void showSheet();
    void hideSheet();
    // "%1 numbers read"; a negative count hides the line.
    void setNumbersRead(int count);
    QString progressText() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fitParent();

    QWidget* content_;
    QLabel* progress_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace tesk::ui
