#pragma once
// Turns the byte stream of a modem line into lines. Modems frame every answer line with CR LF
// (some send a bare CR or LF); the one thing that ends without a line end is the "> " prompt
// that asks for a message's body, and it only means that while a submission waits for it.
// Pure: no I/O, so the exchange and the fuzzing harness share it.
#include <QByteArray>
#include <QString>

namespace tesk::at {

class LineFramer {
  public:
    // A device that streams bytes without ever ending a line still yields lines of this size.
    static constexpr qsizetype kMaxLine = 4096;

    void feed(const QByteArray& bytes);
    // The next complete line that holds more than white space, decoded as UTF-8 with every
    // invalid byte replaced on its own (one bad byte never voids the rest of the line).
    bool nextLine(QString* line);
    // True, and the prompt consumed, when the unterminated rest is ">" or "> " at a line start.
    bool takePrompt();
    // Puts a line taken by nextLine back in front of everything held.
    void putBack(const QByteArray& line) { held_.prepend(line + "\r\n"); }
    // Bytes held that do not yet form a line.
    qsizetype pending() const { return held_.size(); }
    void clear() { held_.clear(); }

  private:
    QByteArray held_;
};

// UTF-8 with each invalid byte replaced by U+FFFD, never failing.
QString Decode_Line(const QByteArray& bytes);

}  // namespace tesk::at
