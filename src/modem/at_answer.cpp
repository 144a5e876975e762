#include "modem/at_answer.h"

namespace tesk {
namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool isFinalResult(const QByteArray& line) {
    return line == "OK" || line == "ERROR" || line == "COMMAND NOT SUPPORT" ||
           line.startsWith("+CMS ERROR:") || line.startsWith("+CME ERROR:");
}

}  // namespace

bool Is_Complete_AT_Answer(const QByteArray& held) {
    qsizetype end = held.size();
    // The prompt: ">" optionally followed by a blank, at the start of a line.
    qsizetype p = end;
    while (p > 0 && held[p - 1] == ' ') {
        --p;
    }
    if (p > 0 && held[p - 1] == '>' && (p == 1 || isLineBreak(held[p - 2]))) {
        return true;
    }
    // A final result counts only once its line end has arrived.
    if (end == 0 || held[end - 1] != '\n') {
        return false;
    }
    while (end > 0 && isLineBreak(held[end - 1])) {
        --end;
    }
    qsizetype begin = end;
    while (begin > 0 && !isLineBreak(held[begin - 1])) {
        --begin;
    }
    return isFinalResult(held.mid(begin, end - begin).trimmed());
}

}  // namespace tesk
