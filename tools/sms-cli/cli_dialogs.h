#pragma once
// The dialogs port without a screen. Notices go to standard error; questions are answered at
// once, the way a scripted run should go on (the rules are listed in the send help); file
// panels are answered from the command line. Every question is printed with the answer given,
// so a log of the run shows what was decided on the user's behalf.
//
// Thread-safe: the engine asks from its worker threads.
#include "core/dialogs.h"
#include "sms-cli/cli_options.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

namespace tesk::cli {

class CliDialogs final : public Dialogs {
  public:
    // Installs itself; the destructor puts the previous implementation back.
    CliDialogs();
    ~CliDialogs() override;
    CliDialogs(const CliDialogs&) = delete;
    CliDialogs& operator=(const CliDialogs&) = delete;

    // What the file panels and the export questions answer.
    void setFilesToOpen(const QStringList& paths);
    void setReport(const QString& path, bool html, ReportStatus status);

    // The user asked to stop (Ctrl-C, SIGTERM): stop questions are answered "Yes" from now on.
    void setInterrupted() { interrupted_ = true; }
    bool interrupted() const { return interrupted_; }
    // How many notices were shown that read `text` exactly (after the leading line feed).
    int noticeCount(const QString& text) const;

    int ask(const DialogRequest& request) override;
    QStringList chooseFilesToOpen(const FileRequest& request) override;
    QString chooseFileToSave(const FileRequest& request) override;

  private:
    int answerQuestion(const DialogRequest& request);

    mutable std::mutex mutex_;
    QStringList filesToOpen_;
    QString reportPath_;
    bool reportHtml_ = false;
    ReportStatus reportStatus_ = ReportStatus::All;
    QStringList notices_;
    std::atomic<bool> interrupted_{false};
    Dialogs* previous_ = nullptr;
};

}  // namespace tesk::cli
