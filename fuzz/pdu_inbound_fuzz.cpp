// What modems hand back after sending: status reports and incoming messages, in PDU and text
// mode. The input is a flags byte (bit 0: the PDU starts with a service-centre field, bit 1:
// the rest is used as hex text as it stands rather than written out as hex digits), then the
// rest: the PDU for both decoders, and, split at its first "\n", the header and body lines for
// the text-mode parsers. Properties: nothing crashes or reads out of bounds (the sanitizers
// watch), and what comes back is in range:
// - a report's reference and status are octets, its state is the one its status gives; from a
//   PDU its recipient holds at most 20 digits after an optional "+";
// - a message's text is no longer than its user data allows (160 septets), its part number
//   lies within its part count, and the assembler takes every decoded part.
#include "fuzz_check.h"
#include "pdu/sms_inbound.h"

namespace {

void Check_Report(const std::optional<pdu::StatusReport>& report, const QString& where,
                  bool fromPdu) {
    if (!report) {
        return;
    }
    FUZZ_CHECK(report->reference >= 0 && report->reference <= 255, where);
    FUZZ_CHECK(report->status >= 0 && report->status <= 255, where);
    FUZZ_CHECK(report->state == pdu::State_Of_Status(report->status), where);
    FUZZ_CHECK(!pdu::Status_Text(report->status).isEmpty(), where);
    FUZZ_CHECK(!fromPdu || report->recipient.size() <= 21,
               where + QStringLiteral(" ") + report->recipient);
}

void Check_Message(pdu::PartAssembler& assembler, const std::optional<pdu::IncomingMessage>& m,
                   const QString& where) {
    if (!m) {
        return;
    }
    FUZZ_CHECK(m->text.size() <= 160, where + QStringLiteral(" %1").arg(m->text.size()));
    FUZZ_CHECK(m->partCount >= 1 && m->partNumber >= 1 && m->partNumber <= m->partCount, where);
    FUZZ_CHECK(m->concatReference >= -1 && m->concatReference <= 0xFFFF, where);
    const std::optional<pdu::IncomingMessage> whole = assembler.add(*m);
    FUZZ_CHECK(!whole || whole->text == m->text, where);  // one part alone completes no other
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t flags = input.Byte();
    const bool withSmsc = flags & 1;
    const QByteArray rest = input.Rest();
    const QString hex =
        (flags & 2) ? QString::fromLatin1(rest) : QString::fromLatin1(rest.toHex().toUpper());
    const QString where = QStringLiteral("hex ") + hex.left(400);

    Check_Report(pdu::Decode_Status_Report(hex, withSmsc), where, true);
    pdu::PartAssembler assembler;
    Check_Message(assembler, pdu::Decode_Deliver(hex, withSmsc), where);

    const QString text = QString::fromUtf8(rest);
    const qsizetype split = text.indexOf(QLatin1Char('\n'));
    const QString header = split < 0 ? text : text.left(split);
    const QString body = split < 0 ? QString() : text.mid(split + 1);
    Check_Report(pdu::Parse_Text_Status_Report(header), tesk::fuzz::Shown(header), false);
    const std::optional<pdu::IncomingMessage> m = pdu::Parse_Text_Deliver(header, body);
    if (m) {
        FUZZ_CHECK(!m->sender.isEmpty(), tesk::fuzz::Shown(header));
        FUZZ_CHECK(m->text.size() <= body.size(), tesk::fuzz::Shown(body));
    }
    return 0;
}
