// Submitting one message to one recipient through one device, in PDU or text mode, and turning
// the device's answers into the outcome text the sending runs store with the message.
#include "composer/number_checks.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/run_flags.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"
#include "pdu/pdu.h"

#include <QRegularExpression>

#include <exception>

namespace {

const char* const kOk = "\r\nOK\r\n";
const char* const kPrompt = ">\r\n";
const QString kNoneError = QStringLiteral("NONE_ERROR");
const QString kSent = QStringLiteral("Message sent successfully.");
const QString kSentToDevice = QStringLiteral("Message sent to device.");
const QString kConnectionError = QStringLiteral("Device Connection Error!");
const QString kGenericRefusal = QStringLiteral("+CMS ERROR:500");
// Reads a submission's verdict may take when the line is behind the exchange: the late answers
// of the format question, the format switch and the prompt, two "AT" questions, its own.
constexpr int kMaxVerdictReads = 6;

// Ctrl-Z ends a text-mode message and ESC cancels it; taken from the message they would let
// the rest of the text run as AT commands.
QString withoutSubmitControls(QString text) {
    text.remove(QChar(0x1A));
    text.remove(QChar(0x1B));
    return text;
}

// ASCII characters that a device in its GSM character set reads as other characters (@ $ _ are
// at other positions, the rest are extension characters or not in the alphabet at all). A text
// holding them survives text mode only as UCS2.
bool hasAsciiOutsideGsmSet(const QString& text) {
    static const QString differing = QStringLiteral("@$_`[\\]^{|}~");
    for (const QChar c : text) {
        if (differing.contains(c)) {
            return true;
        }
    }
    return false;
}

// Cuts the next part of a text-mode long message without splitting a surrogate pair.
QString nextTextPart(const QString& left, int units) {
    if (left.size() <= units) {
        return left;
    }
    int cut = units;
    if (left.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return left.left(cut);
}

}  // namespace

bool MFCSMS::Prepare_Modem_For_PDU_SMS(int fd) {
    try {
        for (const char* command : {"AT\r\n", "AT+CSMS=0\r\n", "AT+CMGF=0\r\n"}) {
            if (!Write_Command(fd, command) || !Read_Command(fd, kOk)) {
                return false;
            }
        }
        return true;
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Prepare_Modem_For_PDU_SMS exception catch"));
    }
    return false;
}

bool MFCSMS::Prepare_Modem_For_Text_SMS(int fd) {
    try {
        for (const char* command : {"AT\r\n", "AT+CSMS=0\r\n", "AT+CMGF=1\r\n"}) {
            if (!Write_Command(fd, command) || !Read_Command(fd, kOk)) {
                return false;
            }
        }
        return true;
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Prepare_Modem_For_Text_SMS exception catch"));
    }
    return false;
}

bool MFCSMS::Set_Text_Mode_SMS_Param(int fd, bool flash, bool unicode) {
    try {
        if (!Write_Command(fd, "AT\r\n") || !Read_Command(fd, kOk)) {
            return false;
        }
        const char* command =
            flash ? (unicode ? "AT+CSMP=17,255,0,24\r\n" : "AT+CSMP=17,255,0,16\r\n")
                  : (unicode ? "AT+CSMP=17,255,0,8\r\n" : "AT+CSMP=17,255,0,0\r\n");
        if (!Write_Command(fd, command)) {
            return false;
        }
        Read_Command(fd, kOk);  // the answer is not judged
        return true;
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Set_Text_Mode_SMS_Param exception catch"));
    }
    return false;
}

int MFCSMS::PDU_or_Text_SMS(int fd) {
    try {
        if (!Write_Command(fd, "AT\r\n") || !Read_Command(fd, kOk)) {
            return 0;
        }
        if (!Write_Command(fd, "AT+CMGF=?\r\n") || !Read_Command(fd, kOk)) {
            return 0;
        }
        const QString answer = m_sLastResponse;
        const bool pdu = answer.contains(QLatin1Char('0'));
        const bool text = answer.contains(QLatin1Char('1'));
        if (pdu && text) {
            tesk::log::writef("Both PDU Mode and Text Mode\n");
            return 3;
        }
        if (pdu) {
            tesk::log::writef("Only PDU Mode\n");
            return 1;
        }
        if (text) {
            tesk::log::writef("Only Text Mode\n");
            return 2;
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("PDU_or_Text_SMS exception catch"));
    }
    return 0;
}

QString MFCSMS::Get_SMS_Error(const QString& answer) {
    const QString text = Trim_Str(answer);
    if (text == QLatin1String("ERROR")) {
        return QStringLiteral("ERROR");
    }
    for (const QString& code : {QStringLiteral("+CMS ERROR"), QStringLiteral("+CME ERROR")}) {
        const qsizetype at = text.indexOf(code);
        if (at >= 0) {
            return text.mid(at);
        }
    }
    if (Find_Str(text, QStringLiteral("ERROR"))) {
        return kGenericRefusal;
    }
    return QString("");
}

namespace {

// The answer without the lines that only repeat what was sent (the command, the payload with
// its Ctrl-Z), trimmed.
QString withoutEcho(const QString& answer, const QStringList& sent) {
    QStringList kept;
    for (const QString& line :
         answer.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        QString bare = Trim_Str(line);
        bare.remove(QChar(0x1a));
        bare = Trim_Str(bare);
        if (!bare.isEmpty() && !sent.contains(bare)) {
            kept.append(line);
        }
    }
    return Trim_Str(kept.join(QStringLiteral("\r\n")));
}

}  // namespace

// One AT+CMGS exchange. False when a write failed or the device answered nothing at all (no
// prompt, no final answer, no late answer): both mean the device is not reachable.
bool MFCSMS::submitStep(int fd, SubmitKind kind, const QString& cmgsArgument,
                        const QString& payload, const char* logPrefix, QString* returnStatus) {
    const QByteArray command =
        kind == SubmitKind::Pdu ? QStringLiteral("AT+CMGS=%1\r\n").arg(cmgsArgument).toUtf8()
                                : QStringLiteral("AT+CMGS=\"%1\"\r\n").arg(cmgsArgument).toUtf8();
    const QString format = Get_Selected_CMGF_Mode(fd);
    if (kind == SubmitKind::Pdu && format == QLatin1String("1")) {
        if (Write_Command(fd, "AT+CMGF=0\r\n")) {
            Read_Command(fd, kOk);
        }
    } else if (kind == SubmitKind::Text && format == QLatin1String("0")) {
        if (Write_Command(fd, "AT+CMGF=1\r\n")) {
            Read_Command(fd, kOk);
        }
    }
    if (!Write_Command(fd, command.constData())) {
        return false;
    }
    Read_Command(fd, kPrompt);
    const bool promptSeen = m_sLastResponse.contains(QLatin1Char('>'));
    // A device that only echoes has not answered: its echo must not pass for an acceptance.
    // "AT" is the connection question asked when the final answer is late.
    const QStringList sentLines = {Trim_Str(QString::fromUtf8(command)), Trim_Str(payload),
                                   QStringLiteral("AT")};
    const QString promptAnswer = withoutEcho(m_sLastResponse, sentLines);
    if (!Write_Command(fd, payload.toUtf8().constData()) || !Write_Command(fd, "\x1a\r\n")) {
        return false;
    }
    tesk::pacing::wait(2.0);

    QString error;
    bool accepted = Read_Command(fd, kOk);
    // The submission's own answer carries "+CMGS:" or an error. Without the prompt in time the
    // line is behind the exchange, and the first answer after the message may be the late
    // answer of an earlier command (the format question, the prompt); taken as the verdict it
    // would credit a refused message as sent and leave the real verdict to be misread by the
    // next message. So read on for the submission's own answer. When nothing comes, ask "AT"
    // (twice at most, 5 seconds apart) to draw out a late answer, and keep the first verdict
    // that turns up: an error read by the first question must not be replaced by the OK of
    // the second. A line in step is judged on its first answer, as before.
    const auto ownAnswer = [&](const QString& answer) {
        return Find_Str(answer, QStringLiteral("ERROR")) ||
               withoutEcho(answer, sentLines).contains(QLatin1String("+CMGS:"));
    };
    int probes = 0;
    if (!ownAnswer(m_sLastResponse) && (!promptSeen || m_sLastResponse.isEmpty())) {
        QString leftover;
        for (int reads = 0; reads < kMaxVerdictReads && !ownAnswer(m_sLastResponse); ++reads) {
            if (!m_sLastResponse.isEmpty()) {
                if (promptSeen) {
                    break;  // in step: whatever the question drew out is the answer
                }
                leftover = m_sLastResponse;
                Read_Command(fd, kOk);
            } else if (probes < 2) {
                ++probes;
                tesk::pacing::wait(5.0);
                if (!Write_Command(fd, "AT\r\n")) {
                    break;
                }
                Read_Command(fd, kOk);
            } else {
                break;
            }
        }
        if (m_sLastResponse.isEmpty()) {
            m_sLastResponse = leftover;  // nothing of its own came: judge what did, as before
        }
        accepted = !Find_Str(m_sLastResponse, QStringLiteral("ERROR")) &&
                   Find_Str(m_sLastResponse, Trim_Str(QString::fromUtf8(kOk)));
    }
    if (!accepted) {
        QString answer = withoutEcho(m_sLastResponse, sentLines);
        if (answer.isEmpty() && probes == 0) {
            Check_Connection_For_Read(fd, 2);
            answer = withoutEcho(m_sLastResponse, sentLines);
        }
        if (answer.isEmpty() && Trim_Str(promptAnswer).isEmpty()) {
            tesk::log::writef("%s{%d} :: no answer from the device", logPrefix, fd);
            return false;
        }
        if (answer.isEmpty()) {
            answer = promptAnswer;
        }
        error = Trim_Str(Get_SMS_Error(answer));
        // A bare ERROR after the message is a refusal like any other.
        if (error == QLatin1String("ERROR")) {
            error = kGenericRefusal;
        }
        // A refused part means the recipient does not get the whole message, so the error of
        // any part, not only of the last, is the outcome.
        if (!error.isEmpty()) {
            *returnStatus = error;
        }
    }
    tesk::log::writef("%s{%d} :: %s", logPrefix, fd,
                      (error.isEmpty() ? m_sLastResponse : error).toUtf8().constData());
    return true;
}

QString MFCSMS::judgeOutcome(bool exchangeRan, const QString& status, const QString& smsCapable,
                             bool* result) {
    const QString sent = smsCapable == QLatin1String("Not Detected") ? kSentToDevice : kSent;
    if (!exchangeRan) {
        *result = false;
        return kConnectionError;
    }
    *result = true;
    if (status == kNoneError) {
        return sent;
    }
    const QString trimmed = Trim_Str(status);
    if (trimmed.isEmpty()) {
        return kConnectionError;
    }
    const QString head = trimmed.left(4);
    if (head.contains(QLatin1String("CMS")) || head.contains(QLatin1String("CME"))) {
        return trimmed;
    }
    // Our own texts (an incomplete long message) stand as they are.
    if (trimmed.startsWith(QLatin1String("Message "))) {
        return trimmed;
    }
    return sent;
}

namespace {

QString stoppedText(int sent, int total) {
    return QStringLiteral("Message stopped after %1 of %2 parts.").arg(sent).arg(total);
}

}  // namespace

bool MFCSMS::Send_PDU_SMS(int fd, const QString& number, const QString& message,
                          const QString& smsc, bool flash, bool unicode, QString* returnStatus,
                          const QString& smsCapable) {
    QString status = kNoneError;
    bool ran = false;
    try {
        const bool ucs2 = unicode || PDU::Needs_Unicode(message);
        PDU pdu;
        const QString single = pdu.EncodePDU(message, number, smsc, true, flash, ucs2);
        if (!single.isEmpty()) {
            if (pdu.Fits_Single_Message(message, number, smsc, ucs2)) {
                ran = submitStep(fd, SubmitKind::Pdu, QString::number(PDU::Tpdu_Octets(single)),
                                 single,
                                 ucs2 ? "UNICODE Standard Short SMS PDU Response:: "
                                      : "Standard Short SMS PDU Response:: ",
                                 &status);
            } else {
                const int total = PDU::Part_Count(message, ucs2);
                ran = true;
                for (int part = 1; part <= total && ran; ++part) {
                    if (Stop_SMS_Sending_Now.load()) {
                        // Parts already out cannot be recalled; the recipient gets an incomplete
                        // message, which the outcome must say.
                        if (status == kNoneError) {
                            status = stoppedText(part - 1, total);
                        }
                        break;
                    }
                    tesk::log::writef("\n------ %d / %d of message ------\n", part, total);
                    const QString partPdu =
                        pdu.Encode_UDH_PDU(message, number, smsc, true, flash, total, part, ucs2);
                    if (partPdu.isEmpty()) {
                        ran = false;
                        break;
                    }
                    ran = submitStep(
                        fd, SubmitKind::Pdu, QString::number(PDU::Tpdu_Octets(partPdu)), partPdu,
                        ucs2 ? "UNICODE Long SMS PDU Response:: " : "Long SMS PDU Response:: ",
                        &status);
                    tesk::pacing::wait(2.0);
                }
            }
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_PDU_SMS exception catch"));
        ran = false;
    }
    bool result = false;
    *returnStatus = judgeOutcome(ran, status, smsCapable, &result);
    return result;
}

bool MFCSMS::selectTextCharacterSet(int fd, bool unicode) {
    if (unicode) {
        m_sLastResponse = QString("");
        const QString supported = GET_CSCS_SUPPORTEDResponse(fd);
        const char* select = supported.contains(QLatin1String("UCS2"))  ? "AT+CSCS=\"UCS2\"\r\n"
                             : supported.contains(QLatin1String("HEX")) ? "AT+CSCS=\"HEX\"\r\n"
                                                                        : nullptr;
        if (select && Write_Command(fd, select)) {
            Read_Command(fd, kOk);
        }
        return select != nullptr;
    }
    const QString current = GET_CSCS_Response(fd);
    if (current.contains(QLatin1String("HEX")) || current.contains(QLatin1String("UCS2"))) {
        const QString supported = GET_CSCS_SUPPORTEDResponse(fd);
        GET_CSCS_Response(fd);
        const char* select = supported.contains(QLatin1String("GSM"))   ? "AT+CSCS=\"GSM\"\r\n"
                             : supported.contains(QLatin1String("IRA")) ? "AT+CSCS=\"IRA\"\r\n"
                                                                        : nullptr;
        if (select && Write_Command(fd, select)) {
            Read_Command(fd, kOk);
        }
        GET_CSCS_Response(fd);
    }
    return false;
}

bool MFCSMS::Send_Text_SMS(int fd, const QString& number, const QString& message,
                           const QString& smsc, bool flash, bool unicode, const QString& portPath,
                           QString* returnStatus, const QString& smsCapable) {
    QString status = kNoneError;
    bool ran = false;
    try {
        // Anything outside plain ASCII, or ASCII the GSM character set reads differently, only
        // arrives intact through the UCS2 character set.
        const bool wide = (unicode && Check_UNICODE_Message(message) == 1) ||
                          Check_Non_English_Message(message) == 1 || hasAsciiOutsideGsmSet(message);
        if (!smsc.isEmpty()) {
            SET_Custom_SMSC_Number(fd, smsc);
        }
        Set_Text_Mode_SMS_Param(fd, flash, wide);
        PDU pdu;
        const bool single = !pdu.EncodePDU(message, number, smsc, true, flash, wide).isEmpty() &&
                            pdu.Fits_Single_Message(message, number, smsc, wide);
        const int unitsPerPart = wide ? 64 : 150;
        QString left = message;
        QList<QString> parts;
        while (!left.isEmpty() || parts.isEmpty()) {
            const QString part = single ? left : nextTextPart(left, unitsPerPart);
            parts.append(part);
            left = left.mid(part.size());
            if (single) {
                break;
            }
        }
        const int total = static_cast<int>(parts.size());
        ran = true;
        if (!wide) {
            selectTextCharacterSet(fd, false);
        }
        for (int i = 0; i < total && ran; ++i) {
            if (!single) {
                if (Stop_SMS_Sending_Now.load()) {
                    if (status == kNoneError) {
                        status = stoppedText(i, total);
                    }
                    break;
                }
                tesk::log::writef("\n------ %d / %d of message ------\n", i + 1, total);
            }
            QString payload = withoutSubmitControls(parts.at(i));
            QString destination = number;
            if (wide && selectTextCharacterSet(fd, true)) {
                payload = PDU::EncodeUserData_16_bit(parts.at(i));
                // In the UCS2 character set every string parameter is UCS2 too.
                if (GET_CSCS_Response(fd).contains(QLatin1String("UCS2"))) {
                    destination = PDU::EncodeUserData_16_bit(number);
                }
            }
            const char* prefix =
                single
                    ? (wide ? "UNICODE Standard Short SMS Text :: " : "standard Short SMS Text :: ")
                    : (wide ? "UNICODE Long SMS Text Response:: " : "Long SMS Text :: ");
            ran = submitStep(fd, SubmitKind::Text, destination, payload, prefix, &status);
            if (!single) {
                tesk::pacing::wait(2.0);
            }
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_Text_SMS exception catch"));
        ran = false;
    }
    // The device keeps a service centre it was given; put its own back in every case.
    try {
        if (!smsc.isEmpty()) {
            GET_And_SET_Cus_SMSC(fd, smsc, portPath);
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_Text_SMS exception catch"));
    }
    bool result = false;
    *returnStatus = judgeOutcome(ran, status, smsCapable, &result);
    return result;
}
