#pragma once
// Gathers the lines that answer one command into a Reply, setting unsolicited lines aside.
// Pure: the channel feeds it lines from the framer as they arrive and owns the clock; the
// tests and the fuzzing harness feed it captured transcripts.
#include "modem/at_framer.h"
#include "modem/at_reply.h"

#include <deque>

namespace tesk::at {

// Lines the device sent on its own, kept across commands (a report's PDU may arrive in the
// next command's answer). Bounded: the oldest go first.
class UnsolicitedQueue {
  public:
    static constexpr size_t kMax = 256;
    void push(const QString& line);
    // A multi-line result (+CMT, +CDS) is still waiting for its body.
    bool wantsBody() const { return bodyLeft_ > 0; }
    void addBody(const QString& line);
    QStringList take();
    void clear();

  private:
    std::deque<QString> lines_;
    int bodyLeft_ = 0;
};

class ReplyCollector {
  public:
    enum class Took {
        More,      // the reply goes on
        Complete,  // the reply is complete
        NotMine,   // complete; this line was not part of it and must be read again later
    };

    // `command` as written without its line end; `payloadLines` the body of a submission
    // whose echo is not an answer; `prompt` when "> " ends the reply.
    ReplyCollector(QString command, QStringList payloadLines, bool prompt,
                   UnsolicitedQueue& unsolicited);

    Took take(const QString& line);
    // The framer saw the prompt as the unterminated rest of the input.
    void promptSeen() { reply_.prompt = true; }
    bool wantsPrompt() const { return prompt_ && reply_.final.kind == FinalKind::None; }
    // COMMAND NOT SUPPORT came; some devices close it with an OK a moment later.
    bool awaitingTrailingOk() const { return reply_.final.kind == FinalKind::NotSupported; }

    const Reply& reply() const { return reply_; }
    Reply& reply() { return reply_; }

  private:
    QString command_;
    QStringList payloadLines_;
    qsizetype echoed_ = 0;  // payload lines whose echo has been seen
    bool prompt_;
    UnsolicitedQueue& unsolicited_;
    Reply reply_;
};

// The reply to `command` that a transcript holds, as the channel would read it when every byte
// has arrived; whatever follows the reply is left in `rest` (when given).
Reply Read_Transcript(const QByteArray& bytes, const QString& command,
                      const QStringList& payloadLines, bool prompt, UnsolicitedQueue& unsolicited,
                      LineFramer* rest = nullptr);

}  // namespace tesk::at
