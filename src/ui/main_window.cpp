#include "ui/main_window.h"

#include "serial/modem_ports.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tesk::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Tesk SMS"));
    setObjectName(QStringLiteral("MainWindow"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading = new QLabel(QStringLiteral("Tesk SMS"), central);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    heading->setFont(font);
    heading->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(
        QStringLiteral("Bulk SMS through GSM modems and Android phones.\n"
                       "The composers, device windows and stores arrive with the next releases."),
        central);
    text->setAlignment(Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(heading);
    layout->addWidget(text);
    layout->addStretch();
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    // Shows at a glance whether modems (real or virtual) are visible to the program.
    QStringList names;
    for (const QString& path : tesk::Find_Modem_Port_Paths()) {
        names.append(tesk::Modem_Port_Name(path));
    }
    statusBar()->showMessage(names.isEmpty() ? QStringLiteral("No modem port found")
                                             : QStringLiteral("Modem ports: ") +
                                                   names.join(QStringLiteral(", ")));
    setMinimumSize(640, 420);
}

}  // namespace tesk::ui
