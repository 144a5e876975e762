#pragma once
// Every adb call of the program. adb is always the executable "adb" in the resource directory,
// started directly with an argument vector: no local shell sits in between, so nothing in a
// number, a message or a path is ever parsed on this computer. Only what the phone's own shell
// parses (the words after "shell") needs quoting, and Shell_Quote does that.
//
// A call waits at most its time-out (60 s, 180 s for install and push, both scaled by the
// pacing service); a call that runs out of time is killed and counts as failed. Standard output
// and standard error arrive as one stream, decoded from UTF-8 once at the end, so a character
// split between two reads is never garbled (invalid bytes become U+FFFD).
//
// Callable from any thread; blocks the caller for the length of the call.
#include <QString>
#include <QStringList>

namespace tesk::android {

enum class AdbWait {
    Normal,    // 60 s
    Transfer,  // 180 s: install and push move a whole file
};

struct AdbCall {
    QString output;         // stdout and stderr, interleaved as written
    bool started = false;   // false: no adb in the resource directory, or it could not run
    bool timedOut = false;  // killed after its time-out
    bool crashed = false;   // ended by a signal
    int exitCode = -1;      // valid when it ended by itself
    QString failure;        // why it failed to run, for the log ("" when it ran to its end)

    // It ran to its own end (whatever it answered).
    bool completed() const { return started && !timedOut && !crashed; }
    // It ran to its end and said it succeeded.
    bool succeeded() const { return completed() && exitCode == 0; }
};

// Resource_Path joined with "adb".
QString ADB_File_Path();

// Transfer for "install" and "push", Normal for everything else.
AdbWait Adb_Wait_For(const QStringList& arguments);

// Runs adb with these arguments, waiting as Adb_Wait_For says, and logs the output
// (Show_NSLog_Message).
AdbCall Run_Adb(const QStringList& arguments);

// The output of the call alone; the first argument is not used (the executable is always the
// resource directory's adb). A failed call reads as its output, which may be empty.
QString ExecuteExternalFile(const QString& fileName, const QStringList& arguments);

// The time-out of a call of that kind, in milliseconds, after pacing.
int Adb_Timeout_Ms(AdbWait wait);

// `text` as one word for a POSIX shell: wrapped in single quotes, each single quote inside
// written as '\''. Everything else (line breaks, $, `, \, ;, &, |, <, >, emoji) stays literal.
// A NUL cannot travel in a process argument and is dropped.
QString Shell_Quote(const QString& text);

}  // namespace tesk::android
