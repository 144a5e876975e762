#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace tesk::test {

ScriptedDialogs::ScriptedDialogs() {
    previous_ = setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(previous_);
    std::lock_guard lock(mutex_);
    for (const Step& step : script_) {
        ADD_FAILURE() << "expected dialog never shown: \"" << step.messagePart.toStdString()
                      << "\"";
    }
}

void ScriptedDialogs::expect(const QString& messagePart, const QString& buttonText) {
    std::lock_guard lock(mutex_);
    script_.push_back({Kind::Box, messagePart, buttonText, {}});
}

void ScriptedDialogs::expectFilesToOpen(const QStringList& paths) {
    std::lock_guard lock(mutex_);
    script_.push_back({Kind::Open, {}, {}, paths});
}

void ScriptedDialogs::expectFileToSave(const QString& path) {
    std::lock_guard lock(mutex_);
    script_.push_back({Kind::Save, {}, {}, {path}});
}

QList<DialogRequest> ScriptedDialogs::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

QStringList ScriptedDialogs::messages() const {
    std::lock_guard lock(mutex_);
    QStringList texts;
    for (const DialogRequest& request : requests_) {
        texts.append(request.message);
    }
    return texts;
}

int ScriptedDialogs::pending() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(script_.size());
}

bool ScriptedDialogs::takeStep(Kind kind, const QString& description, Step* step) {
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected dialog: \"" << description.toStdString() << "\"";
        return false;
    }
    *step = script_.front();
    script_.pop_front();
    if (step->kind != kind) {
        ADD_FAILURE() << "dialog of another kind than scripted: \"" << description.toStdString()
                      << "\"";
        return false;
    }
    return true;
}

int ScriptedDialogs::ask(const DialogRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.append(request);
    Step step;
    if (!takeStep(Kind::Box, request.message, &step)) {
        return -1;
    }
    if (!request.message.contains(step.messagePart)) {
        ADD_FAILURE() << "dialog \"" << request.message.toStdString() << "\" does not contain \""
                      << step.messagePart.toStdString() << "\"";
        return -1;
    }
    const int index = static_cast<int>(request.buttons.indexOf(step.buttonText));
    if (index < 0) {
        ADD_FAILURE() << "dialog \"" << request.message.toStdString() << "\" has no button \""
                      << step.buttonText.toStdString()
                      << "\" (buttons: " << request.buttons.join(QStringLiteral(", ")).toStdString()
                      << ")";
    }
    return index;
}

QStringList ScriptedDialogs::chooseFilesToOpen(const FileRequest& request) {
    std::lock_guard lock(mutex_);
    Step step;
    return takeStep(Kind::Open, QStringLiteral("open panel: ") + request.title, &step)
               ? step.paths
               : QStringList();
}

QString ScriptedDialogs::chooseFileToSave(const FileRequest& request) {
    std::lock_guard lock(mutex_);
    Step step;
    return takeStep(Kind::Save, QStringLiteral("save panel: ") + request.title, &step)
               ? step.paths.value(0)
               : QString();
}

}  // namespace tesk::test
