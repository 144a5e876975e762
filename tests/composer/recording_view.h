#pragma once
// A composer view for tests: records what the controller asked of the screen and lets the test
// play the modal dialogs. Safe to call from the import worker (the inline poster runs there).
#include "composer/composer_controller.h"
#include "composer/composer_view.h"

#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

namespace tesk::composer::test {

class RecordingView final : public ComposerView {
  public:
    // Installs itself on the controller with a poster that runs each task at once.
    explicit RecordingView(ComposerController& controller) {
        controller.setView(this);
        controller.setGuiPoster([](std::function<void()> task) { task(); });
    }

    void redrawTable() override { record("redraw"); }
    void redrawExclusionTable() override { record("redrawExclusions"); }
    void setCountLabel(const QString& text) override {
        std::lock_guard lock(mutex_);
        countLabel = text;
    }
    void setCharCountLabel(const QString& text) override {
        std::lock_guard lock(mutex_);
        charCountLabel = text;
    }
    void setNumberField(const QString& text) override {
        std::lock_guard lock(mutex_);
        numberField = text;
    }
    void setComposerText(const QString& text) override {
        std::lock_guard lock(mutex_);
        composerText = text;
    }
    void selectRows(const QList<int>& rows) override {
        std::lock_guard lock(mutex_);
        selection = rows;
    }
    void focus(Field field) override {
        std::lock_guard lock(mutex_);
        focused = field;
    }
    void showControls(const ComposerControls& shown) override {
        std::lock_guard lock(mutex_);
        controls = shown;
    }
    void setPleaseWait(bool shown) override { record(shown ? "wait+" : "wait-"); }
    void setSendEnabled(bool enabled) override { record(enabled ? "send+" : "send-"); }
    void setImportProgress(int numbersRead) override {
        std::lock_guard lock(mutex_);
        progress = numbersRead;
    }
    void runAfter(double seconds, std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            delays.append(seconds);
        }
        task();
    }
    int runFillMsgDialog() override { return fillDialog ? fillDialog() : 0; }
    int runUpdateSelNumSmsDialog() override { return updateSelDialog ? updateSelDialog() : 0; }
    int runUpdateNumSmsDialog(const EditRequest& request) override {
        edits.append(request);
        return editDialog ? editDialog(request) : 0;
    }
    bool runPasteDialog() override { return pasteDialog ? pasteDialog() : false; }
    void offerToOpenExportedFile(const QString& path) override {
        std::lock_guard lock(mutex_);
        exported = path;
    }

    QStringList calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }

    QString countLabel, charCountLabel, numberField, composerText, exported;
    QList<int> selection;
    std::optional<Field> focused;
    ComposerControls controls;
    int progress = -1;
    QList<double> delays;
    QList<EditRequest> edits;
    std::function<int()> fillDialog, updateSelDialog;
    std::function<int(const EditRequest&)> editDialog;
    std::function<bool()> pasteDialog;

  private:
    void record(const char* call) {
        std::lock_guard lock(mutex_);
        calls_.append(QString::fromLatin1(call));
    }
    mutable std::mutex mutex_;
    QStringList calls_;
};

}  // namespace tesk::composer::test
