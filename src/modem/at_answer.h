#pragma once
// Recognises the end of a modem's answer so a read need not wait out its whole time-out.
#include <QByteArray>

namespace tesk {

// True when the bytes end with a complete final result line (OK, ERROR, +CMS ERROR: n,
// +CME ERROR: n, COMMAND NOT SUPPORT, each followed by its line end) or with the "> " prompt
// of a message submission. Everything else, echoes and information lines included, is not.
bool Is_Complete_AT_Answer(const QByteArray& held);

}  // namespace tesk
