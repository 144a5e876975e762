#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace tesk::ui {

QtDialogs::QtDialogs(QObject* parent) : QObject(parent), title_(QStringLiteral("Tesk SMS")) {}

template <typename Result, typename Body>
Result QtDialogs::onGuiThread(Body body) {
    if (QThread::currentThread() == thread()) {
        return body();
    }
    Result result{};
    QMetaObject::invokeMethod(
        this, [&] { result = body(); }, Qt::BlockingQueuedConnection);
    return result;
}

QWidget* QtDialogs::parentWindow() const {
    return QApplication::activeWindow();
}

int QtDialogs::askNow(const DialogRequest& request) {
    QMessageBox box(parentWindow());
    box.setWindowTitle(title_);
    box.setIcon(request.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Information);
    box.setText(request.message);
    box.setInformativeText(request.informativeText);
    QList<QPushButton*> buttons;
    for (const QString& title : request.buttons) {
        buttons.append(box.addButton(title, QMessageBox::ActionRole));
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(buttons.first());
        box.setEscapeButton(buttons.size() == 1 ? buttons.first() : buttons.last());
    }
    box.exec();
    return static_cast<int>(buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}

int QtDialogs::ask(const DialogRequest& request) {
    return onGuiThread<int>([&] { return askNow(request); });
}

QStringList QtDialogs::chooseFilesToOpen(const FileRequest& request) {
    return onGuiThread<QStringList>([&] {
        return QFileDialog::getOpenFileNames(parentWindow(), request.title, request.directory,
                                             request.filters.join(QStringLiteral(";;")));
    });
}

QString QtDialogs::chooseFileToSave(const FileRequest& request) {
    return onGuiThread<QString>([&] {
        QString start = request.directory;
        if (!request.suggestedName.isEmpty()) {
            start = start.isEmpty() ? request.suggestedName
                                    : start + QLatin1Char('/') + request.suggestedName;
        }
        return QFileDialog::getSaveFileName(parentWindow(), request.title, start,
                                            request.filters.join(QStringLiteral(";;")));
    });
}

}  // namespace tesk::ui
