#pragma once
// Dialogs for tests: every request is recorded; answers come from a queue the test fills
// beforehand. A dialog nobody expected, or one whose text does not match, fails the test;
// so do answers left unused when the script goes out of scope.
// Creating one installs it; destroying it puts the previous implementation back.
#include "core/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <mutex>

namespace tesk::test {

class ScriptedDialogs final : public Dialogs {
  public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The next box must contain messagePart in its message; it is answered with the button
    // whose title is buttonText.
    void expect(const QString& messagePart, const QString& buttonText);
    // The next box is a notice with one "OK" button whose message contains messagePart.
    void expectNotice(const QString& messagePart) { expect(messagePart, QStringLiteral("OK")); }
    void expectFilesToOpen(const QStringList& paths);
    void expectFileToSave(const QString& path);

    QList<DialogRequest> requests() const;  // every box shown, in order
    QStringList messages() const;           // their message texts
    int pending() const;

    int ask(const DialogRequest& request) override;
    QStringList chooseFilesToOpen(const FileRequest& request) override;
    QString chooseFileToSave(const FileRequest& request) override;

  private:
    enum class Kind { Box, Open, Save };
    struct Step {
        Kind kind;
        QString messagePart;
        QString buttonText;
        QStringList paths;
    };
    bool takeStep(Kind kind, const QString& description, Step* step);

    mutable std::mutex mutex_;
    std::deque<Step> script_;
    QList<DialogRequest> requests_;
    Dialogs* previous_ = nullptr;
};

}  // namespace tesk::test
