#pragma once
// Per-user places the program finds outside its data directory.
//
// Virtual modems announce themselves with symlinks in a runtime folder; whoever can write to
// that folder decides which terminal the program sends the messages to. The folder (and each
// folder of ours above it) is therefore trusted only when it is a real folder, owned by this
// user, that no one else may write to; the folder that holds it must be this user's or the
// system's, and shared only when it is sticky (/tmp).
#include <QString>

namespace tesk {

// Folder in which virtual modems announce themselves with one symlink each:
// $XDG_RUNTIME_DIR/tesk-sms/modems, or /tmp/tesk-sms-<uid>/modems without a runtime directory.
QString Virtual_Modem_Dir();

// Why `path` may not be trusted as a private folder, "" when it may (or when it does not exist:
// nothing can be read from it then). Symbolic links are not followed.
QString Private_Folder_Problem(const QString& path);

// The same for Virtual_Modem_Dir() and every folder above it up to the runtime directory (or
// /tmp): "" when the announcements there can be trusted or there are none yet.
QString Virtual_Modem_Dir_Problem();

// Creates what is missing of Virtual_Modem_Dir() (0700). A folder of ours that others may write
// to is made private again (0700) and the log says so; a folder that is not ours, a symbolic
// link, or a parent others may replace it in is refused. False with the reason in *why.
bool Make_Virtual_Modem_Dir(QString* why = nullptr);

}  // namespace tesk
