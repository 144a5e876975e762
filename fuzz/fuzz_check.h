#pragma once
// What every harness shares: a property check that stops the run with the broken property and
// the values involved (libFuzzer then saves the input), and a reader that cuts an input into
// the pieces a harness needs.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tesk::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* property,
                              const QString& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, property,
                 detail.toUtf8().constData());
    std::abort();
}

// Text with control characters spelt out, for failure messages.
inline QString Shown(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        if (c == u'\\') {
            shown += QStringLiteral("\\\\");
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

class Input {
  public:
    Input(const uint8_t* data, size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(static_cast<qsizetype>(size)) {}

    // The next byte, 0 once the input is used up.
    uint8_t Byte() { return pos_ < size_ ? static_cast<uint8_t>(data_[pos_++]) : 0; }
    // Up to the next `end` byte (which is consumed), or everything left.
    QByteArray Until(char end) {
        qsizetype stop = pos_;
        while (stop < size_ && data_[stop] != end) {
            ++stop;
        }
        const QByteArray piece(data_ + pos_, stop - pos_);
        pos_ = stop < size_ ? stop + 1 : stop;
        return piece;
    }
    QByteArray Rest() {
        const QByteArray rest(data_ + pos_, size_ - pos_);
        pos_ = size_;
        return rest;
    }

  private:
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

}  // namespace tesk::fuzz

#define FUZZ_CHECK(condition, detail)                                     \
    do {                                                                  \
        if (!(condition)) {                                               \
            ::tesk::fuzz::Fail(__FILE__, __LINE__, #condition, (detail)); \
        }                                                                 \
    } while (0)
