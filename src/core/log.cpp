#include "core/log.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace tesk::log {
namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

Sink& currentSink() {
    static Sink sink;
    return sink;
}

bool toStderr() {
    static const bool on = qEnvironmentVariable("TESK_SMS_LOG_STDERR") == QLatin1String("1");
    return on;
}

// Test runs and benchmarks switch syslog off so they do not flood the user's journal.
bool toSyslog() {
    static const bool on = qEnvironmentVariable("TESK_SMS_LOG_SYSLOG") != QLatin1String("0");
    return on;
}

void openSyslogOnce() {
    static std::once_flag once;
    std::call_once(once, [] { openlog("tesk-sms", LOG_PID, LOG_USER); });
}

}  // namespace

void write(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    if (toSyslog()) {
        openSyslogOnce();
        syslog(LOG_NOTICE, "%s", utf8.constData());
    }
    if (toStderr()) {
        std::fprintf(stderr, "tesk-sms: %s\n", utf8.constData());
    }
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(line);
    }
}

void writef(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> text(needed > 0 ? needed + 1 : 1, '\0');
    if (needed > 0) {
        std::vsnprintf(text.data(), text.size(), format, args);
    }
    va_end(args);
    write(QString::fromUtf8(text.data()).trimmed());
}

Sink setSink(Sink sink) {
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

struct Capture::State {
    mutable std::mutex mutex;
    QStringList lines;
};

Capture::Capture() : state_(new State) {
    State* state = state_;
    previous_ = setSink([state](const QString& line) {
        std::lock_guard lock(state->mutex);
        state->lines.append(line);
    });
}

Capture::~Capture() {
    setSink(std::move(previous_));
    delete state_;
}

QStringList Capture::lines() const {
    std::lock_guard lock(state_->mutex);
    return state_->lines;
}

bool Capture::contains(const QString& part) const {
    std::lock_guard lock(state_->mutex);
    for (const QString& line : state_->lines) {
        if (line.contains(part)) {
            return true;
        }
    }
    return false;
}

void Capture::clear() {
    std::lock_guard lock(state_->mutex);
    state_->lines.clear();
}

}  // namespace tesk::log

void Show_NSLog_Message(const QString& text) {
    const QString line = (QStringLiteral("NSLOG : ") + text).trimmed();
    if (line.size() > 7) {
        tesk::log::write(line);
    }
}
