#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Presses the button titled `title` on the modal box as soon as one is up.
void pressWhenShown(const QString& title, QString* seenText) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        *seenText = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == title) {
                timer->stop();
                timer->deleteLater();
                button->click();
                return;
            }
        }
    });
    timer->start();
}

// A question from a worker thread waits for the answer given on the GUI thread; a notice shows
// its text with the leading line feed the program's messages start with.
TEST(QtDialogs, WorkerThreadBlocksUntilTheUserAnswersOnTheGuiThread) {
    tesk::ui::QtDialogs dialogs;
    tesk::Dialogs* previous = tesk::setDialogs(&dialogs);
    QString seen;
    pressWhenShown(QStringLiteral("No"), &seen);
    std::atomic<int> answer{-2};
    std::atomic<bool> askedOnGuiThread{false};
    std::thread worker([&] {
        answer = Show_YES_NO_MessageBox(QStringLiteral("Stop sending?")) ? 1 : 0;
        askedOnGuiThread = QThread::currentThread() == qApp->thread();
    });
    // The GUI thread keeps serving events while the worker waits for its answer.
    while (answer.load() == -2) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    EXPECT_FALSE(askedOnGuiThread.load());
    EXPECT_EQ(seen, QStringLiteral("Stop sending?"));

    pressWhenShown(QStringLiteral("OK"), &seen);
    Show_MessageBox(QStringLiteral("port not initialized."));
    tesk::setDialogs(previous);
    EXPECT_EQ(seen, QStringLiteral("\nport not initialized."));
}

}  // namespace

int main(int argc, char** argv) {
    // Widget tests never need a display, test discovery included.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
