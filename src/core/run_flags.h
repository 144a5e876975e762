#pragma once
// Process-wide flags that sending threads read between steps. Atomic: several threads read
// them while the window thread sets them.
#include <atomic>

// Set to ask every sending run to stop at the next point where it may (between message parts,
// between messages).
inline std::atomic<bool> Stop_SMS_Sending_Now{false};
