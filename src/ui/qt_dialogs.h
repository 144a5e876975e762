#pragma once
// Real dialogs. Each one is shown on the GUI thread; a worker thread that asks blocks until the
// user has answered, so the worker's logic reads like a plain function call.
#include "core/dialogs.h"

#include <QObject>

class QWidget;

namespace tesk::ui {

class QtDialogs final : public QObject, public Dialogs {
    Q_OBJECT
  public:
    // Must be created on the GUI thread.
    explicit QtDialogs(QObject* parent = nullptr);

    int ask(const DialogRequest& request) override;
    QStringList chooseFilesToOpen(const FileRequest& request) override;
    QString chooseFileToSave(const FileRequest& request) override;

    // Window title of every box (the application's name).
    void setTitle(const QString& title) { title_ = title; }

  private:
    template <typename Result, typename Body>
    Result onGuiThread(Body body);

    int askNow(const DialogRequest& request);
    QWidget* parentWindow() const;

    QString title_;
};

}  // namespace tesk::ui
