#pragma once
// The application's main window. For now a frame with a status line; the composers fill it.
#include <QMainWindow>

namespace tesk::ui {

class MainWindow final : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tesk::ui
