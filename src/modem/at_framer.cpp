#include "modem/at_framer.h"

#include <QStringDecoder>

namespace tesk::at {
namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool blank(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

}  // namespace

QString Decode_Line(const QByteArray& bytes) {
    // The decoder replaces each malformed sequence; a stateless one starts fresh per line, so
    // a stray lead byte cannot swallow the next line's first characters.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

void LineFramer::feed(const QByteArray& bytes) {
    held_.append(bytes);
}

bool LineFramer::nextLine(QString* line) {
    while (!held_.isEmpty()) {
        qsizetype end = 0;
        while (end < held_.size() && !isLineEnd(held_[end])) {
            ++end;
        }
        if (end == held_.size()) {
            if (end < kMaxLine) {
                return false;  // the line end has not arrived yet
            }
            end = kMaxLine;
        }
        const QByteArray bytes = held_.left(end);
        qsizetype next = end;
        while (next < held_.size() && isLineEnd(held_[next])) {
            ++next;
        }
        held_.remove(0, next);
        if (!blank(bytes)) {
            // Other white space (VT, FF, NEL) trims away too: such a line is no line.
            *line = Decode_Line(bytes).trimmed();
            if (!line->isEmpty()) {
                return true;
            }
        }
    }
    return false;
}

bool LineFramer::takePrompt() {
    QByteArray rest = held_;
    while (!rest.isEmpty() && rest.endsWith(' ')) {
        rest.chop(1);
    }
    if (rest != ">") {
        return false;
    }
    held_.clear();
    return true;
}

}  // namespace tesk::at
