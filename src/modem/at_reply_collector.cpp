#include "modem/at_reply_collector.h"

#include <utility>

namespace tesk::at {

void UnsolicitedQueue::push(const QString& line) {
    if (lines_.size() >= kMax) {
        lines_.pop_front();
    }
    lines_.push_back(Without_Noise(line));
    bodyLeft_ = Unsolicited_Body_Lines(line);
}

void UnsolicitedQueue::addBody(const QString& line) {
    --bodyLeft_;
    if (!lines_.empty()) {
        lines_.back() += QStringLiteral("\r\n") + Without_Noise(line);
    }
}

QStringList UnsolicitedQueue::take() {
    QStringList lines(lines_.begin(), lines_.end());
    lines_.clear();
    return lines;
}

void UnsolicitedQueue::clear() {
    lines_.clear();
    bodyLeft_ = 0;
}

ReplyCollector::ReplyCollector(QString command, QStringList payloadLines, bool prompt,
                               UnsolicitedQueue& unsolicited)
    : command_(std::move(command)),
      payloadLines_(std::move(payloadLines)),
      prompt_(prompt),
      unsolicited_(unsolicited) {}

ReplyCollector::Took ReplyCollector::take(const QString& raw) {
    if (unsolicited_.wantsBody()) {
        unsolicited_.addBody(raw);
        return Took::More;
    }
    QString line = raw;
    if (awaitingTrailingOk()) {
        reply_.trailingOk = Without_Noise(line) == QLatin1String("OK");
        return reply_.trailingOk ? Took::Complete : Took::NotMine;
    }
    if (!payloadLines_.isEmpty()) {
        // While a message body goes out, a device repeats each of its lines after a "> "
        // continuation prompt; neither is an answer, even a body line that reads "ERROR".
        if (line.startsWith(QLatin1Char('>'))) {
            line = line.mid(1).trimmed();
            if (line.isEmpty()) {
                return Took::More;
            }
        }
        const QString bare = Without_Noise(line);
        if (echoed_ < payloadLines_.size() && bare == payloadLines_.at(echoed_)) {
            ++echoed_;
            reply_.echo.append(bare);
            return Took::More;
        }
    } else if (wantsPrompt() && Without_Noise(line) == QLatin1String(">")) {
        reply_.prompt = true;
        return Took::Complete;
    }
    switch (Classify_Line(line, command_)) {
        case LineKind::Echo:
            reply_.echo.append(Without_Noise(line));
            return Took::More;
        case LineKind::Final:
            reply_.final = Parse_Final_Result(line);
            return awaitingTrailingOk() ? Took::More : Took::Complete;
        case LineKind::Unsolicited:
            unsolicited_.push(line);
            return Took::More;
        case LineKind::Noise:
            return Took::More;
        case LineKind::Intermediate:
            if (!payloadLines_.isEmpty() && line.contains(QLatin1String("ERROR"))) {
                // A device's own words of refusal after a message body ("NETWORK ERROR ...")
                // end the submission as surely as a bare ERROR.
                reply_.final.kind = FinalKind::Error;
                reply_.final.line = Without_Noise(line);
                return Took::Complete;
            }
            reply_.lines.append(Without_Noise(line));
            return Took::More;
    }
    return Took::More;
}

Reply Read_Transcript(const QByteArray& bytes, const QString& command,
                      const QStringList& payloadLines, bool prompt, UnsolicitedQueue& unsolicited,
                      LineFramer* rest) {
    LineFramer own;
    LineFramer& framer = rest ? *rest : own;
    framer.feed(bytes);
    ReplyCollector collector(command, payloadLines, prompt, unsolicited);
    QString line;
    while (framer.nextLine(&line)) {
        const ReplyCollector::Took took = collector.take(line);
        if (took == ReplyCollector::Took::NotMine) {
            framer.putBack(line.toUtf8());
        }
        if (took != ReplyCollector::Took::More) {
            return collector.reply();
        }
    }
    if (collector.wantsPrompt() && framer.takePrompt()) {
        collector.promptSeen();
    }
    return collector.reply();
}

}  // namespace tesk::at
