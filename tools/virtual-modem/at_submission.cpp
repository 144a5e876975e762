// The AT+CMGS exchange: the command and its prompt, the two input states of the message and the
// verdict after Ctrl-Z, with the habits of real devices around it (refusals before the prompt,
// late verdicts, unsolicited lines, a device that falls silent halfway).
#include "virtual-modem/at_session.h"
#include "virtual-modem/sms_submit_decoder.h"
#include "virtual-modem/text_payload.h"

#include <QDateTime>
#include <QStringDecoder>

namespace tesk::vmodem {
namespace {

constexpr int kMaxTpdu = 164;  // the largest SMS-SUBMIT TPDU
constexpr int kCmsInvalidPduParameter = 304;
constexpr int kCmsInvalidTextParameter = 305;
constexpr int kTypeInternational = 145;

QString utcNow() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString utf8OrLatin1(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

}  // namespace

AtSession::Reply AtSession::startSubmission(const Extended& cmd) {
    submission_ = ++attempts_;
    const Arg first = cmd.args.value(0);
    if (cmgf_ == 0) {
        int length = 0;
        if (cmd.args.size() != 1 || first.quoted || !toInt(first.value, &length) || length < 1 ||
            length > kMaxTpdu) {
            return promptOrRefusal(error(Final::Cms, kCmsInvalidPduParameter), {});
        }
        announcedLength_ = length;
        return promptOrRefusal(error(Final::Prompt), {});
    }
    QString number;
    int type = 0;
    if (!first.quoted || !numberArg(first, &number) ||
        (cmd.args.size() > 1 && !toInt(cmd.args[1].value, &type))) {
        return promptOrRefusal(error(Final::Cms, kCmsInvalidTextParameter),
                               QString::fromUtf8(first.value));
    }
    if (type == kTypeInternational && !number.startsWith(QLatin1Char('+'))) {
        number.prepend(QLatin1Char('+'));
    }
    textNumber_ = number;
    return promptOrRefusal(error(Final::Prompt), number);
}

// An AT+CMGS that passed its own checks may still be refused by choice; only a prompt opens the
// input state, any other answer leaves the modem in command mode.
AtSession::Reply AtSession::promptOrRefusal(const Reply& reply, const QString& number) {
    Reply answer = reply;
    if (answer.final == Final::Prompt && submission_ == config_.refuseBeforePromptOnSubmission) {
        answer = error(Final::Verbatim);
        answer.text = config_.refuseBeforePromptAnswer.toUtf8();
    }
    if (answer.final != Final::Prompt) {
        refuse(answer, number, "before-prompt");
        return answer;
    }
    input_ = cmgf_ == 0 ? Input::Pdu : Input::Text;
    payload_.clear();
    raw_.clear();
    return answer;
}

void AtSession::afterPrompt() {
    if (submission_ == config_.silentAfterPromptOnSubmission) {
        // Lost: what the client types from now on is only read as command lines, never answered.
        input_ = Input::Command;
        silent_ = true;
        return;
    }
    sendUnsolicited(Config::Unsolicited::AfterPrompt);
}

void AtSession::cancelSubmission() {
    input_ = Input::Command;
    sendReply(Reply{});
    sendUnsolicited(Config::Unsolicited::AfterEveryCommand);
}

// Fills `sms` as far as the PDU can be read (the number serves a refusal too); true when it is
// a message to deliver.
bool AtSession::pduMessage(ReceivedSms* sms) const {
    const SmsSubmit pdu = DecodeSmsSubmit(QString::fromLatin1(payload_));
    if (!pdu.ok) {
        return false;
    }
    sms->mode = QStringLiteral("pdu");
    sms->number = pdu.number;
    sms->text = pdu.text;
    sms->coding = AlphabetName(pdu.coding.alphabet);
    sms->messageClass = pdu.coding.messageClass;
    sms->statusReportRequest = pdu.statusReportRequest;
    if (pdu.concatRef >= 0) {
        sms->concatRef = pdu.concatRef;
        sms->concatPart = pdu.concatPart;
        sms->concatTotal = pdu.concatTotal;
    }
    sms->raw = QString::fromLatin1(payload_);
    return pdu.tpduOctets == announcedLength_;
}

bool AtSession::textMessage(ReceivedSms* sms) const {
    sms->number = textNumber_;
    const DataCoding coding = DescribeDcs(csmp_[3]);
    const TextPayload text = DecodeTextPayload(payload_, charset_, coding);
    if (!text.ok) {
        return false;
    }
    sms->mode = QStringLiteral("text");
    sms->text = text.text;
    sms->coding = AlphabetName(coding.alphabet);
    sms->messageClass = coding.messageClass;
    sms->statusReportRequest = (csmp_[0] & 0x20) != 0;  // TP-SRR of the first octet
    sms->raw = utf8OrLatin1(raw_);
    return true;
}

void AtSession::finishSubmission() {
    const bool pdu = input_ == Input::Pdu;
    input_ = Input::Command;
    ++submissions_;
    host_.submitted();
    ReceivedSms sms;
    const bool readable = pdu ? pduMessage(&sms) : textMessage(&sms);
    Reply reply;
    if (config_.cmsErrorOnSubmission == submissions_ ||
        (config_.cmsErrorFromSubmission > 0 && submissions_ >= config_.cmsErrorFromSubmission)) {
        reply = error(Final::Cms, config_.cmsErrorCode);
    } else if (config_.notSupportedOnSubmission == submission_) {
        reply = error(Final::NotSupported);
    } else if (!readable) {
        reply = error(Final::Cms, pdu ? kCmsInvalidPduParameter : kCmsInvalidTextParameter);
    } else {
        sms.time = utcNow();
        sms.port = config_.name;
        sms.reference = nextReference_;
        nextReference_ = (nextReference_ + 1) % 256;
        ++delivered_;
        host_.delivered(sms);
        reply.lines = {"+CMGS: " + QByteArray::number(sms.reference)};
        if (sms.statusReportRequest) {
            scheduleReport(sms.number, sms.reference);
        }
    }
    if (reply.final != Final::Ok) {
        refuse(reply, sms.number, "verdict");
    }
    sendUnsolicited(Config::Unsolicited::BeforeVerdict);
    if (config_.verdictDelayOnSubmission == 0 || config_.verdictDelayOnSubmission == submission_) {
        host_.pause(config_.verdictDelayMs);
    }
    sendReply(reply);
    sendUnsolicited(Config::Unsolicited::AfterVerdict);
    sendUnsolicited(Config::Unsolicited::AfterEveryCommand);
    if (config_.hangUpAfterSubmission > 0 && submissions_ >= config_.hangUpAfterSubmission) {
        hungUp_ = true;
        host_.hangUp();
    }
    if (config_.silentAfterSubmission > 0 && delivered_ >= config_.silentAfterSubmission) {
        silent_ = true;
    }
}

void AtSession::refuse(const Reply& reply, const QString& number, const char* stage) {
    Refusal refusal;
    refusal.time = utcNow();
    refusal.port = config_.name;
    refusal.number = number;
    refusal.answer = QString::fromUtf8(finalText(reply));
    refusal.stage = QLatin1String(stage);
    host_.refused(refusal);
}

void AtSession::sendUnsolicited(Config::Unsolicited::When when) {
    if (silent_ || hungUp_) {
        return;
    }
    for (const Config::Unsolicited& u : config_.unsolicited) {
        const bool thisSubmission = when == Config::Unsolicited::AfterEveryCommand ||
                                    u.submission == 0 || u.submission == submission_;
        if (u.when == when && thisSubmission) {
            host_.pause(u.delayMs);
            output(OutputKind::Unsolicited, "\r\n" + u.line + "\r\n");
        }
    }
}

}  // namespace tesk::vmodem
