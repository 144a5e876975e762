#pragma once
// Per-user places the program finds outside its data directory.
#include <QString>

namespace tesk {

// Folder in which virtual modems announce themselves with one symlink each:
// $XDG_RUNTIME_DIR/tesk-sms/modems, or /tmp/tesk-sms-<uid>/modems without a runtime directory.
QString Virtual_Modem_Dir();

}  // namespace tesk
