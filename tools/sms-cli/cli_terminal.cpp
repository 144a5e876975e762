#include "sms-cli/cli_terminal.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace tesk::cli {
namespace {

std::mutex& outputMutex() {
    static std::mutex mutex;
    return mutex;
}

bool stderrIsTerminal() {
    static const bool terminal = isatty(STDERR_FILENO) == 1;
    return terminal;
}

bool barOpen = false;  // guarded by outputMutex()

void endBarLocked() {
    if (barOpen) {
        std::fputc('\n', stderr);
        barOpen = false;
    }
}

}  // namespace

void Print_Error_Text(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    std::lock_guard lock(outputMutex());
    endBarLocked();
    const QByteArray bytes = shown.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    if (!shown.endsWith(QLatin1Char('\n'))) {
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
}

void Draw_Progress_Line(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::lock_guard lock(outputMutex());
    if (stderrIsTerminal()) {
        // Clear to the end of the line: the new text may be shorter than the old one.
        std::fprintf(stderr, "\r%s\033[K", bytes.constData());
        barOpen = true;
    } else {
        std::fprintf(stderr, "%s\n", bytes.constData());
    }
    std::fflush(stderr);
}

void End_Progress_Line() {
    std::lock_guard lock(outputMutex());
    endBarLocked();
    std::fflush(stderr);
}

}  // namespace tesk::cli
