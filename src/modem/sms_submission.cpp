// Submitting one message to one recipient through one device, in PDU or text mode, and turning
// the device's answers into the outcome text the sending runs store with the message.
#include "checks/number_checks.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/run_flags.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"
#include "pdu/pdu.h"

#include <QRegularExpression>

#include <algorithm>

#include <exception>

namespace {

const char* const kOk = "\r\nOK\r\n";

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

bool MFCSMS::prepareFor(int fd, int cmgf) {
    known_ = {};
    const QByteArray mode = QStringLiteral("AT+CMGF=%1\r\n").arg(cmgf).toUtf8();
    for (const char* command : {"AT\r\n", "AT+CSMS=0\r\n", mode.constData()}) {
        if (!Write_Command(fd, command) || !Read_Command(fd, kOk)) {
            return false;
        }
    }
    known_.cmgf = cmgf;
    return true;
}

bool MFCSMS::Prepare_Modem_For_PDU_SMS(int fd) {
    try {
        return prepareFor(fd, 0);
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Prepare_Modem_For_PDU_SMS exception catch"));
    }
    return false;
}

bool MFCSMS::Prepare_Modem_For_Text_SMS(int fd) {
    try {
        return prepareFor(fd, 1);
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Prepare_Modem_For_Text_SMS exception catch"));
    }
    return false;
}

bool MFCSMS::Set_Text_Mode_SMS_Param(int fd, bool flash, bool unicode) {
    try {
        // First octet 17: SMS-SUBMIT with a relative validity period; 49 adds the request for
        // a status report (TP-SRR).
        const QByteArray text = QByteArray("AT+CSMP=") + (statusReports_ ? "49" : "17") +
                                ",255,0," +
                                (flash ? (unicode ? "24" : "16") : (unicode ? "8" : "0")) + "\r\n";
        const char* command = text.constData();
        if (fast() && known_.textParameters == QLatin1String(command)) {
            return true;
        }
        if (!Write_Command(fd, "AT\r\n") || !Read_Command(fd, kOk)) {
            return false;
        }
        if (!Write_Command(fd, command)) {
            return false;
        }
        // The answer is not judged; only an accepted value is remembered.
        known_.textParameters = Read_Command(fd, kOk) ? QString::fromLatin1(command) : QString();
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
        return tesk::modem::kGenericRefusalText;
    }
    return QString("");
}

QString tesk::modem::Outcome_Text(const SubmissionOutcome& outcome, const QString& smsCapable) {
    switch (outcome.kind) {
        case SubmissionOutcome::Kind::Sent:
            return smsCapable == QLatin1String("Not Detected") ? kSentToDeviceText : kSentText;
        case SubmissionOutcome::Kind::Refused: {
            const tesk::at::FinalResult final = tesk::at::Parse_Final_Result(outcome.refusal);
            if (final.kind == tesk::at::FinalKind::CmsError ||
                final.kind == tesk::at::FinalKind::CmeError) {
                return final.line;
            }
            return kGenericRefusalText;
        }
        case SubmissionOutcome::Kind::NoAnswer:
            return kConnectionErrorText;
        case SubmissionOutcome::Kind::Stopped:
            // Parts already out cannot be recalled; the recipient gets an incomplete message.
            return QStringLiteral("Message stopped after %1 of %2 parts.")
                .arg(outcome.partsSent)
                .arg(outcome.partsTotal);
    }
    return kConnectionErrorText;
}

struct MFCSMS::PartResult {
    tesk::modem::SubmissionOutcome::Kind kind = tesk::modem::SubmissionOutcome::Kind::NoAnswer;
    int reference = -1;
    QString refusal;
};

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEscape = 0x1B;
// A network may take half a minute and more to accept a message on a weak signal; the device
// says nothing meanwhile. Waiting less would report a message that is still on its way.
constexpr double kVerdictSeconds = 60.0;

QString lineOf(const QByteArray& bytes) {
    return Trim_Str(QString::fromUtf8(bytes));
}

// The lines of a message body as a device repeats them.
QStringList bodyLines(const QString& payload) {
    QStringList lines;
    for (const QString& line :
         payload.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        const QString bare = tesk::at::Without_Noise(line);
        if (!bare.isEmpty()) {
            lines.append(bare);
        }
    }
    return lines;
}

}  // namespace

// One AT+CMGS exchange. The body goes out only after the device's prompt: without it the
// device is in command mode, where the body's lines would run as commands. The verdict is the
// submission's own final result, read however late within the verdict bound.
MFCSMS::PartResult MFCSMS::submitPart(int fd, SubmitKind kind, const QString& cmgsArgument,
                                      const QString& payload, const char* logPrefix) {
    using Kind = tesk::modem::SubmissionOutcome::Kind;
    PartResult result;
    const QByteArray command =
        kind == SubmitKind::Pdu ? QStringLiteral("AT+CMGS=%1\r\n").arg(cmgsArgument).toUtf8()
                                : QStringLiteral("AT+CMGS=\"%1\"\r\n").arg(cmgsArgument).toUtf8();
    const int wanted = kind == SubmitKind::Pdu ? 0 : 1;
    if (!fast() || known_.cmgf != wanted) {
        const QString format = Get_Selected_CMGF_Mode(fd);
        if (kind == SubmitKind::Pdu && format == QLatin1String("1")) {
            SET_CMGF_PDU_MODE(fd);
        } else if (kind == SubmitKind::Text && format == QLatin1String("0")) {
            SET_CMGF_TEXT_MODE(fd);
        }
        known_.cmgf = format.isEmpty() ? -1 : wanted;
    }
    if (!answered_) {
        catchUp(fd);
    }
    lastCommand_ = lineOf(command);
    answered_ = false;
    if (!writeBytes(fd, command, QString::fromUtf8(command))) {
        return result;
    }
    tesk::at::Reply reply = readReply({lastCommand_, {}, true}, readTimeout_ * patience_);
    tesk::log::writef("Read (%d) \"%s\"\n", fd, reply.text().toUtf8().constData());
    if (!reply.prompt) {
        if (!reply.complete() && !reply.lineLost) {
            // Silent so far: close any input the device may have opened meanwhile, then give
            // it one more read time for its refusal.
            writeBytes(fd, QByteArray(1, kEscape), QStringLiteral("<esc>"));
            reply = readReply({lastCommand_, {}, false}, readTimeout_ * patience_);
            tesk::log::writef("Read (%d) \"%s\"\n", fd, reply.text().toUtf8().constData());
        }
        answered_ = reply.complete() || reply.lineLost;
        if (tesk::at::Is_Error(reply.final.kind)) {
            result.kind = Kind::Refused;
            result.refusal = reply.final.line;
        }
        tesk::log::writef("%s{%d} :: %s\n", logPrefix, fd,
                          result.kind == Kind::Refused ? result.refusal.toUtf8().constData()
                                                       : "no prompt from the device");
        lastReply_ = reply;
        m_sLastResponse = Trim_Str(reply.text());
        return result;
    }
    if (!writeBytes(fd, payload.toUtf8() + QByteArray(1, kCtrlZ), payload + QChar(kCtrlZ))) {
        return result;
    }
    if (!fast()) {
        tesk::pacing::wait(2.0);  // the standard pace gives the network time before reading
    }
    const double verdictBound =
        std::max(readTimeout_ * patience_, tesk::pacing::scaled(kVerdictSeconds));
    reply = readReply({lastCommand_, bodyLines(payload), false}, verdictBound);
    answered_ = reply.complete() || reply.lineLost;
    lastReply_ = reply;
    m_sLastResponse = Trim_Str(reply.text());
    tesk::log::writef("Read (%d) \"%s\"\n", fd, m_sLastResponse.toUtf8().constData());
    if (reply.ok()) {
        result.kind = Kind::Sent;
        result.reference = tesk::at::Parse_Cmgs_References(reply.lines).value(0, -1);
    } else if (tesk::at::Is_Error(reply.final.kind)) {
        result.kind = Kind::Refused;
        result.refusal = reply.final.line;
    }
    tesk::log::writef("%s{%d} :: %s\n", logPrefix, fd,
                      result.kind == Kind::NoAnswer ? "no answer from the device"
                                                    : reply.final.line.toUtf8().constData());
    return result;
}

namespace {

using tesk::modem::SubmissionOutcome;

// Adds one part's result to the message's outcome; false when no further part may go.
template <typename Part>
bool addPart(SubmissionOutcome* outcome, const Part& part) {
    outcome->kind = part.kind;
    if (part.kind != SubmissionOutcome::Kind::Sent) {
        outcome->refusal = part.refusal;
        return false;
    }
    ++outcome->partsSent;
    if (part.reference >= 0) {
        outcome->references.append(part.reference);
    }
    return true;
}

}  // namespace

bool MFCSMS::finishSubmission(const QString& smsCapable, QString* returnStatus) {
    if (lastSubmission_.kind != SubmissionOutcome::Kind::Sent &&
        lastSubmission_.kind != SubmissionOutcome::Kind::Stopped) {
        // After a refusal or silence nothing the device was told can be taken for granted.
        known_ = {};
    }
    *returnStatus = tesk::modem::Outcome_Text(lastSubmission_, smsCapable);
    return lastSubmission_.kind != SubmissionOutcome::Kind::NoAnswer;
}

bool MFCSMS::Send_PDU_SMS(int fd, const QString& number, const QString& message,
                          const QString& smsc, bool flash, bool unicode, QString* returnStatus,
                          const QString& smsCapable) {
    lastSubmission_ = SubmissionOutcome{SubmissionOutcome::Kind::NoAnswer, {}, {}, 0, 1};
    try {
        const bool ucs2 = unicode || PDU::Needs_Unicode(message);
        PDU pdu;
        pdu.Set_Status_Report_Request(statusReports_);
        const QString single = pdu.EncodePDU(message, number, smsc, true, flash, ucs2);
        if (!single.isEmpty()) {
            if (pdu.Fits_Single_Message(message, number, smsc, ucs2)) {
                addPart(&lastSubmission_,
                        submitPart(fd, SubmitKind::Pdu, QString::number(PDU::Tpdu_Octets(single)),
                                   single,
                                   ucs2 ? "UNICODE Standard Short SMS PDU Response:: "
                                        : "Standard Short SMS PDU Response:: "));
            } else {
                const int total = PDU::Part_Count(message, ucs2);
                lastSubmission_.partsTotal = total;
                lastSubmission_.kind = SubmissionOutcome::Kind::Sent;
                for (int part = 1; part <= total; ++part) {
                    if (part > 1 && stopRequested()) {
                        lastSubmission_.kind = SubmissionOutcome::Kind::Stopped;
                        break;
                    }
                    tesk::log::writef("\n------ %d / %d of message ------\n", part, total);
                    const QString partPdu =
                        pdu.Encode_UDH_PDU(message, number, smsc, true, flash, total, part, ucs2);
                    if (partPdu.isEmpty()) {
                        lastSubmission_.kind = SubmissionOutcome::Kind::NoAnswer;
                        break;
                    }
                    if (!addPart(&lastSubmission_,
                                 submitPart(fd, SubmitKind::Pdu,
                                            QString::number(PDU::Tpdu_Octets(partPdu)), partPdu,
                                            ucs2 ? "UNICODE Long SMS PDU Response:: "
                                                 : "Long SMS PDU Response:: "))) {
                        break;
                    }
                    if (part < total && !fast()) {
                        tesk::pacing::wait(2.0);
                    }
                }
            }
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_PDU_SMS exception catch"));
        lastSubmission_.kind = SubmissionOutcome::Kind::NoAnswer;
    }
    return finishSubmission(smsCapable, returnStatus);
}

bool MFCSMS::selectTextCharacterSet(int fd, bool unicode) {
    if (unicode) {
        if (fast() &&
            (known_.charset == QLatin1String("UCS2") || known_.charset == QLatin1String("HEX"))) {
            return true;
        }
        m_sLastResponse = QString("");
        const QString supported = GET_CSCS_SUPPORTEDResponse(fd);
        const char* select = supported.contains(QLatin1String("UCS2"))  ? "AT+CSCS=\"UCS2\"\r\n"
                             : supported.contains(QLatin1String("HEX")) ? "AT+CSCS=\"HEX\"\r\n"
                                                                        : nullptr;
        known_.charset.clear();
        if (select && Write_Command(fd, select) && Read_Command(fd, kOk)) {
            known_.charset = QString::fromLatin1(select).section(QLatin1Char('"'), 1, 1);
        }
        return select != nullptr;
    }
    if (fast() && known_.charset == QLatin1String("plain")) {
        return false;
    }
    const QString current = GET_CSCS_Response(fd);
    known_.charset.clear();
    if (current.contains(QLatin1String("HEX")) || current.contains(QLatin1String("UCS2"))) {
        const QString supported = GET_CSCS_SUPPORTEDResponse(fd);
        GET_CSCS_Response(fd);
        const char* select = supported.contains(QLatin1String("GSM"))   ? "AT+CSCS=\"GSM\"\r\n"
                             : supported.contains(QLatin1String("IRA")) ? "AT+CSCS=\"IRA\"\r\n"
                                                                        : nullptr;
        if (select && Write_Command(fd, select) && !Read_Command(fd, kOk) &&
            current.contains(QLatin1String("UCS2"))) {
            // A device in UCS2 may want the set's own name in UCS2 as well.
            const QString name = QString::fromLatin1(select).section(QLatin1Char('"'), 1, 1);
            const QByteArray encoded =
                QStringLiteral("AT+CSCS=\"%1\"\r\n").arg(PDU::EncodeUserData_16_bit(name)).toUtf8();
            if (Write_Command(fd, encoded.constData())) {
                Read_Command(fd, kOk);
            }
        }
        const QString now = GET_CSCS_Response(fd);
        if (!now.isEmpty() && !now.contains(QLatin1String("HEX")) &&
            !now.contains(QLatin1String("UCS2"))) {
            known_.charset = QStringLiteral("plain");
        }
    } else if (!current.isEmpty()) {
        known_.charset = QStringLiteral("plain");
    }
    return false;
}

bool MFCSMS::Send_Text_SMS(int fd, const QString& number, const QString& message,
                           const QString& smsc, bool flash, bool unicode, const QString& portPath,
                           QString* returnStatus, const QString& smsCapable) {
    lastSubmission_ = SubmissionOutcome{SubmissionOutcome::Kind::NoAnswer, {}, {}, 0, 1};
    bool wide = false;
    try {
        // Anything outside plain ASCII, or ASCII the GSM character set reads differently, only
        // arrives intact through the UCS2 character set.
        wide = (unicode && needsUcs2(message)) || hasNonEnglishText(message) ||
               hasAsciiOutsideGsmSet(message);
        if (!smsc.isEmpty() && !(fast() && known_.serviceCentre == smsc)) {
            // A number goes out in the character set in force: make sure it is not UCS2.
            selectTextCharacterSet(fd, false);
            SET_Custom_SMSC_Number(fd, smsc);
            known_.serviceCentre = smsc;
            customCentreToRestore_ = smsc;
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
        lastSubmission_.partsTotal = total;
        lastSubmission_.kind = SubmissionOutcome::Kind::Sent;
        if (!wide && smsc.isEmpty()) {
            selectTextCharacterSet(fd, false);
        }
        for (int i = 0; i < total; ++i) {
            if (!single) {
                if (i > 0 && stopRequested()) {
                    lastSubmission_.kind = SubmissionOutcome::Kind::Stopped;
                    break;
                }
                tesk::log::writef("\n------ %d / %d of message ------\n", i + 1, total);
            }
            QString payload = withoutSubmitControls(parts.at(i));
            QString destination = number;
            if (wide && selectTextCharacterSet(fd, true)) {
                payload = PDU::EncodeUserData_16_bit(parts.at(i));
                // In the UCS2 character set every string parameter is UCS2 too.
                if (fast() ? known_.charset == QLatin1String("UCS2")
                           : GET_CSCS_Response(fd).contains(QLatin1String("UCS2"))) {
                    destination = PDU::EncodeUserData_16_bit(number);
                }
            }
            const char* prefix =
                single
                    ? (wide ? "UNICODE Standard Short SMS Text :: " : "standard Short SMS Text :: ")
                    : (wide ? "UNICODE Long SMS Text Response:: " : "Long SMS Text :: ");
            if (!addPart(&lastSubmission_,
                         submitPart(fd, SubmitKind::Text, destination, payload, prefix))) {
                break;
            }
            if (!single && i + 1 < total && !fast()) {
                tesk::pacing::wait(2.0);
            }
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_Text_SMS exception catch"));
        lastSubmission_.kind = SubmissionOutcome::Kind::NoAnswer;
    }
    // The device keeps the character set and the service centre it was given: the next
    // message, and the restore below, carry numbers, which must not go out in UCS2.
    // The fast pace keeps both for the next message and restores the service centre once, at
    // the end of the run (Finish_Run).
    try {
        if (wide && !fast() && lastSubmission_.kind != SubmissionOutcome::Kind::NoAnswer) {
            selectTextCharacterSet(fd, false);
        }
        if (!smsc.isEmpty() && !fast()) {
            GET_And_SET_Cus_SMSC(fd, smsc, portPath);
            known_.serviceCentre.clear();
            customCentreToRestore_.clear();
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Send_Text_SMS exception catch"));
    }
    return finishSubmission(smsCapable, returnStatus);
}

void MFCSMS::Finish_Run(int fd, const QString& portPath) {
    try {
        if (!customCentreToRestore_.isEmpty()) {
            selectTextCharacterSet(fd, false);
            GET_And_SET_Cus_SMSC(fd, customCentreToRestore_, portPath);
        }
    } catch (const std::exception&) {
        Show_NSLog_Message(QStringLiteral("Finish_Run exception catch"));
    }
    known_ = {};
    customCentreToRestore_.clear();
}
