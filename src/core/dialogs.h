#pragma once
// The one door through which logic talks to the user: message boxes, questions and file panels.
// The widget layer installs an implementation that shows real dialogs on the GUI thread (worker
// threads block until the answer); tests install a scripted one.
#include <QString>
#include <QStringList>

namespace tesk {

struct DialogRequest {
    QString message;          // the main text
    QString informativeText;  // secondary text under it, usually empty
    QStringList buttons;      // left to right as the user reads them; the first is the default
};

struct FileRequest {
    QString title;
    QString directory;      // starting folder, may be empty
    QString suggestedName;  // save panels only
    QStringList filters;    // "Text files (*.txt)" and the like
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a modal box and returns the index of the pressed button (-1 when dismissed).
    virtual int ask(const DialogRequest& request) = 0;
    // Returns the chosen files; empty when cancelled.
    virtual QStringList chooseFilesToOpen(const FileRequest& request) = 0;
    // Returns the chosen path; empty when cancelled.
    virtual QString chooseFileToSave(const FileRequest& request) = 0;
};

// The installed implementation; a silent default (answers the default button, cancels panels,
// logs the text) until one is installed, so a headless tool never hangs on a question.
Dialogs& dialogs();
// Installs an implementation (not owned) and returns the previous one; nullptr restores the
// default.
Dialogs* setDialogs(Dialogs* implementation);

}  // namespace tesk

// Modal notice: a line feed followed by the text, one button "OK".
void Show_MessageBox(const QString& text);
// Question with the default button "Yes" and a second button "No"; true only for "Yes".
bool Show_YES_NO_MessageBox(const QString& text);
