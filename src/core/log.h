#pragma once
// Diagnostic log of the whole program. Lines go to syslog (ident "tesk-sms") and, when
// TESK_SMS_LOG_STDERR=1, to standard error. Tests install a sink to read what was logged.
#include <QString>
#include <QStringList>

#include <functional>

namespace tesk::log {

using Sink = std::function<void(const QString& line)>;

// Writes one line as it stands (no prefix). Thread-safe.
void write(const QString& line);

// printf-style convenience for the driver's diagnostic lines; the result is trimmed.
void writef(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink that receives every line in addition to syslog; returns the previous one.
Sink setSink(Sink sink);

// Collects every logged line for the lifetime of the object (tests).
class Capture {
  public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    QStringList lines() const;
    bool contains(const QString& part) const;
    void clear();

  private:
    struct State;
    State* state_;
    Sink previous_;
};

}  // namespace tesk::log

// Builds "NSLOG : <text>", trims it and logs it when it is longer than 7 characters.
void Show_NSLog_Message(const QString& text);
