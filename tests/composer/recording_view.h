#pragma once
// A composer view for tests: records what the controller asked of the screen and lets the test
// play the modal dialogs. Safe to call from the import worker (the inline poster runs there).
#include "composer/composer_controller.h"
#include "composer/composer_view.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>

namespace tesk::composer::test {

// What an import that adds nothing says.
inline const QString kImportFailure = QStringLiteral(
    "\nEither file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient "
    "number is skipped because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

class RecordingView final : public ComposerView {
  public:
    // Installs itself on the controller with a poster that runs each task at once.
    explicit RecordingView(ComposerController& controller) {
        controller.setView(this);
        controller.setGuiPoster([](std::function<void()> task) { task(); });
    }

    void redrawTable() override { record("redraw"); }
    void redrawExclusionTable() override {}
    void setCountLabel(const QString& text) override { set(countLabel, text); }
    void setCharCountLabel(const QString& text) override { set(charCountLabel, text); }
    void setNumberField(const QString& text) override { set(numberField, text); }
    void setComposerText(const QString& text) override { set(composerText, text); }
    void selectRows(const QList<int>&) override {}
    void focus(Field) override {}
    void showControls(const ComposerControls& shown) override { set(controls, shown); }
    void setPleaseWait(bool shown) override { record(shown ? "wait+" : "wait-"); }
    void setSendEnabled(bool enabled) override { record(enabled ? "send+" : "send-"); }
    void setImportProgress(int) override {}
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
    void offerToOpenExportedFile(const QString& path) override { set(exported, path); }

    QStringList calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }

    QString countLabel, charCountLabel, numberField, composerText, exported;
    ComposerControls controls;
    QList<double> delays;
    QList<EditRequest> edits;
    std::function<int()> fillDialog, updateSelDialog;
    std::function<int(const EditRequest&)> editDialog;
    std::function<bool()> pasteDialog;

  private:
    template <typename Field_, typename Value>
    void set(Field_& field, const Value& value) {
        std::lock_guard lock(mutex_);
        field = value;
    }
    void record(const char* call) {
        std::lock_guard lock(mutex_);
        calls_.append(QString::fromLatin1(call));
    }
    mutable std::mutex mutex_;
    QStringList calls_;
};

// A GSM composer on its recording view, with scripted dialogs and a folder for files.
class ComposerTest : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        return tesk::test::Write_Test_File(dir_, name, bytes);
    }

    QTemporaryDir dir_;
    tesk::test::ScriptedDialogs dialogs_;
    ComposerController composer_{ComposerKind::Gsm};
    RecordingView view_{composer_};
};

}  // namespace tesk::composer::test
