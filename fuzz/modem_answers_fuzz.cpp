// What a modem sends, through the line framer and the reply parsers. The input is a flags byte
// (bit 0: the command waits for the "> " prompt; bit 1: a submission body line follows the
// command), a split byte, the command up to "\n", the body line up to "\n" when flagged, then
// the bytes the device sent. Properties:
// - the same bytes in two chunks, split anywhere, frame to the same lines, the same prompt and
//   the same rest as in one chunk (a read returns whatever has arrived);
// - a framed line never holds CR or LF, and never starts or ends with white space;
// - the final result of a reply parses again to the same kind and code (or is a device's own
//   words of refusal after a body); a line classified as final is a final result;
// - a message reference is 0..255; Without_Noise is idempotent.
#include "fuzz_check.h"
#include "modem/at_framer.h"
#include "modem/at_reply.h"
#include "modem/at_reply_collector.h"

namespace {

struct Framed {
    QStringList lines;
    bool prompt = false;
    qsizetype pending = 0;
};

void Drain(tesk::at::LineFramer& framer, QStringList& lines) {
    QString line;
    while (framer.nextLine(&line)) {
        lines.append(line);
    }
}

Framed Frame(const QList<QByteArray>& chunks) {
    tesk::at::LineFramer framer;
    Framed framed;
    for (const QByteArray& chunk : chunks) {
        framer.feed(chunk);
        Drain(framer, framed.lines);
    }
    framed.prompt = framer.takePrompt();
    framed.pending = framer.pending();
    return framed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t split = input.Byte();
    const QString command = QString::fromUtf8(input.Until('\n'));
    QStringList payload;
    if (flags & 2) {
        payload.append(QString::fromUtf8(input.Until('\n')));
    }
    const QByteArray bytes = input.Rest();

    const Framed whole = Frame({bytes});
    const qsizetype at = bytes.size() * split / 255;
    const Framed parts = Frame({bytes.left(at), bytes.mid(at)});
    FUZZ_CHECK(whole.lines == parts.lines,
               QStringLiteral("split at %1: ").arg(at) + tesk::fuzz::Shown(whole.lines.join(u'|')) +
                   QStringLiteral(" vs ") + tesk::fuzz::Shown(parts.lines.join(u'|')));
    FUZZ_CHECK(whole.prompt == parts.prompt && whole.pending == parts.pending,
               QStringLiteral("split at %1").arg(at));

    for (const QString& line : whole.lines) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), tesk::fuzz::Shown(line));
        FUZZ_CHECK(!line.isEmpty() && !line.front().isSpace() && !line.back().isSpace(),
                   tesk::fuzz::Shown(line));
        const QString clean = tesk::at::Without_Noise(line);
        FUZZ_CHECK(tesk::at::Without_Noise(clean) == clean, tesk::fuzz::Shown(line));
        if (tesk::at::Classify_Line(line, command) == tesk::at::LineKind::Final) {
            FUZZ_CHECK(tesk::at::Parse_Final_Result(line).kind != tesk::at::FinalKind::None,
                       tesk::fuzz::Shown(line));
        }
        tesk::at::Unsolicited_Body_Lines(line);
    }
    for (const int reference : tesk::at::Parse_Cmgs_References(whole.lines)) {
        FUZZ_CHECK(reference >= 0 && reference <= 255, QString::number(reference));
    }

    tesk::at::UnsolicitedQueue unsolicited;
    tesk::at::LineFramer rest;
    const tesk::at::Reply reply =
        tesk::at::Read_Transcript(bytes, command, payload, (flags & 1) != 0, unsolicited, &rest);
    if (reply.final.kind != tesk::at::FinalKind::None) {
        // Either a final result code, which reads the same again, or a device's own words of
        // refusal after a message body ("NETWORK ERROR ..."), which count as a bare ERROR.
        const tesk::at::FinalResult again = tesk::at::Parse_Final_Result(reply.final.line);
        FUZZ_CHECK((again.kind == reply.final.kind && again.code == reply.final.code) ||
                       (again.kind == tesk::at::FinalKind::None && !payload.isEmpty() &&
                        reply.final.kind == tesk::at::FinalKind::Error &&
                        reply.final.line.contains(QLatin1String("ERROR"))),
                   tesk::fuzz::Shown(reply.final.line));
    }
    for (const int reference : tesk::at::Parse_Cmgs_References(reply.lines)) {
        FUZZ_CHECK(reference >= 0 && reference <= 255, QString::number(reference));
    }
    for (const QString& line : reply.lines + reply.echo) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), tesk::fuzz::Shown(line));
    }
    return 0;
}
