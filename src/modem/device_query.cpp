// Questioning a device: maker, model, IMEI, battery, signal, operator, revision and service
// centre, each answer cleaned of its echo, result prefix and final OK before it becomes a fact.
#include "checks/number_checks.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"
#include "pdu/pdu.h"

#include <QRegularExpression>

#include <exception>

namespace {

const char* const kOk = "\r\nOK\r\n";
const QString kUndefined = QStringLiteral("Undefined");
const QString kNotSupported = QStringLiteral("COMMAND NOT SUPPORT");
const QString kNoBattery = QStringLiteral("Device does not have a battery connected.");

// Echo forms and result prefixes of each question, the longer forms first so that removing
// "+GMI" never leaves the "AT" of an echoed "AT+GMI" behind.
const QStringList kMakerPrefixes = {"AT+CGMI", "AT+GMI", "+CGMI", "+GMI"};
const QStringList kModelPrefixes = {"AT+CGMM", "AT+GMM", "+CGMM", "+GMM"};
const QStringList kImeiPrefixes = {"AT+CGSN", "AT+GSN", "+CGSN", "+GSN"};
const QStringList kBatteryPrefixes = {"AT+CBC", "+CBC"};
const QStringList kSignalPrefixes = {"AT+CSQ", "+CSQ"};
const QStringList kOperatorPrefixes = {"AT+COPS", "+COPS"};
const QStringList kRevisionPrefixes = {"AT+CGMR", "AT+GMR", "+CGMR", "+GMR"};
const QStringList kServiceCentrePrefixes = {"AT+CSCA", "+CSCA"};

QString dropLeadingColon(const QString& text) {
    const QString trimmed = Trim_Str(text);
    return trimmed.startsWith(QLatin1Char(':')) ? Trim_Str(trimmed.mid(1)) : trimmed;
}

// The answer as a fact. The final result is removed only where it stands as a line of its own,
// so names such as "NOKIA" or "TOKYO" keep their letters.
QString cleanAnswer(const QString& answer, const QStringList& prefixes, bool keepQuotes) {
    static const QRegularExpression kOkLine(QStringLiteral("^[ \\t\\r]*OK[ \\t\\r]*$"),
                                            QRegularExpression::MultilineOption);
    QString text = answer;
    text.remove(QLatin1Char('?'));
    if (!keepQuotes) {
        text.remove(QLatin1Char('"'));
    }
    text.remove(QLatin1Char('<'));
    text.remove(QLatin1Char('>'));
    text.remove(kOkLine);
    // Some devices spell their line ends out as backslash sequences.
    text.remove(QStringLiteral("\\r\\n"));
    text.remove(QStringLiteral("\\n"));
    text.remove(QStringLiteral("\\r"));
    for (const QString& prefix : prefixes) {
        text.remove(prefix);
    }
    // A fact is one line. What is left of the answer's lines once the echo and the OK are gone
    // is joined by blanks (a CR inside a line splits it too), and control characters (NUL, ESC,
    // Ctrl-Z) are no part of any fact: a service centre holding one would carry it into the
    // AT+CSCA command it is sent back in.
    QStringList parts;
    for (QString part : text.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        part.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
        part = Trim_Str(part);
        if (!part.isEmpty()) {
            parts.append(part);
        }
    }
    return dropLeadingColon(parts.join(QLatin1Char(' ')));
}

// "IMEI: 3569..." and "IMEI 3569..." both give the number alone.
QString withoutImeiWord(const QString& cleaned) {
    QString text = dropLeadingColon(cleaned);
    if (text.startsWith(QLatin1String("IMEI"))) {
        text = dropLeadingColon(text.mid(4));
    }
    return text;
}

// The text between the first two double quotes; after the first when there is no second; the
// whole text when there is none.
QString betweenQuotes(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char('"'));
    if (first < 0) {
        return text;
    }
    const qsizetype second = text.indexOf(QLatin1Char('"'), first + 1);
    return second < 0 ? text.mid(first + 1) : text.mid(first + 1, second - first - 1);
}

QString batteryText(const QString& cleaned) {
    const QString state = cleaned.left(1);
    const QString level =
        cleaned.size() > 1 && cleaned.at(1) == QLatin1Char(',') ? cleaned.mid(2) : QString("");
    if (state == QLatin1String("0")) {
        return level + QStringLiteral("%");
    }
    if (state == QLatin1String("1")) {
        return level + QStringLiteral("% ( Charging )");
    }
    if (state == QLatin1String("2")) {
        return kNoBattery;
    }
    if (state == QLatin1String("3")) {
        return QStringLiteral("Recognized power fault.");
    }
    return level;
}

// RSSI 0..31 as words; an answer that carries no number keeps the earlier text. 99 is the
// standard's "not known"; anything else outside 0..31 is no level at all and says so with the
// value the device gave.
bool signalText(const QString& cleaned, QString* text) {
    const QString rssi = Trim_Str(cleaned.section(QLatin1Char(','), 0, 0));
    if (rssi == QLatin1String("99")) {
        *text = QStringLiteral("Unknown");
        return true;
    }
    bool number = false;
    const int value = rssi.toInt(&number);
    if (!number) {
        return false;
    }
    if (value < 0 || value > 31) {
        *text = QStringLiteral("Unknown (%1)").arg(value);
        return true;
    }
    const char* format = value <= 8    ? "Low (%1)"
                         : value <= 14 ? "Medium (%1)"
                         : value <= 18 ? "Good (%1)"
                                       : "High (%1)";
    *text = QString::fromLatin1(format).arg(value);
    return true;
}

// The service-centre number of a cleaned +CSCA answer (quotes kept). Devices that work in the
// UCS2 or GSM character set report the number encoded; a "+" is put back when the type is
// written as ", 145".
QString serviceCentreNumber(const QString& cleaned) {
    const QString answer = dropLeadingColon(cleaned);
    const QString number = betweenQuotes(answer);
    QString result = number;
    if (!number.startsWith(QLatin1Char('+'))) {
        const QString ucs2 = PDU::DecodeUserData_16_bit(number);
        if (ucs2.startsWith(QLatin1Char('+'))) {
            result = ucs2;
        } else {
            const QString septets = PDU::DecodeUserData(number);
            if (septets.startsWith(QLatin1Char('+'))) {
                result = septets;
            } else if (isValidPhoneNumber(ucs2)) {
                result = ucs2;
            }
        }
    }
    const qsizetype quote = answer.indexOf(QLatin1Char('"'));
    const QString afterQuote = quote < 0 ? answer : answer.mid(quote + 1);
    if (!result.startsWith(QLatin1Char('+')) && afterQuote.contains(QLatin1String(", 145"))) {
        result.prepend(QLatin1Char('+'));
    }
    // The value goes back to the device inside AT+CSCA="...": an encoded answer may decode to
    // control characters, and a line break there would end the command early. Blanks (where a
    // line break stood) are no part of a number either.
    result.removeIf(
        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace(); });
    return result;
}

enum class Asked { Answered, NotAnswered, WriteFailed };

// One question: clear the last response, write, read expecting OK, clean.
Asked ask(MFCSMS& channel, int fileDescriptor, const char* command, const QStringList& prefixes,
          bool keepQuotes, QString* cleaned) {
    channel.m_sLastResponse = QString("");
    if (!channel.Write_Command(fileDescriptor, command)) {
        return Asked::WriteFailed;
    }
    if (!channel.Read_Command(fileDescriptor, kOk)) {
        // The read ends at "COMMAND NOT SUPPORT", and some devices close that answer with an
        // OK a moment later. Wait for it once more, so that whether the question counts as
        // answered does not depend on whether the OK came in the same chunk.
        if (!channel.m_sLastResponse.endsWith(kNotSupported)) {
            return Asked::NotAnswered;
        }
        const QString first = channel.m_sLastResponse;
        const bool closed = channel.Read_Command(fileDescriptor, kOk);
        channel.m_sLastResponse = first + QStringLiteral("\r\n\r\n") + channel.m_sLastResponse;
        if (!closed) {
            return Asked::NotAnswered;
        }
    }
    *cleaned = cleanAnswer(channel.m_sLastResponse, prefixes, keepQuotes);
    return Asked::Answered;
}

// A question with the older command as fallback for devices that answer "Undefined".
Asked askWithFallback(MFCSMS& channel, int fileDescriptor, const char* command,
                      const char* fallback, const QStringList& prefixes, QString* cleaned) {
    QString answer;
    Asked asked = ask(channel, fileDescriptor, command, prefixes, false, &answer);
    if (asked == Asked::Answered && answer == kUndefined) {
        asked = ask(channel, fileDescriptor, fallback, prefixes, false, &answer);
    }
    if (asked == Asked::Answered) {
        *cleaned = answer;
    }
    return asked;
}

// The name after the word "MODEL" where the device puts one; the whole answer otherwise.
QString modelName(const QString& answer) {
    const qsizetype model = answer.indexOf(QLatin1String("MODEL"));
    return model < 0 ? answer : Trim_Str(answer.mid(model + 6));
}

// Who made the device and what it is: maker, model and IMEI. False when a command could not be
// written (the line is gone, so no later question is asked).
bool askIdentity(MFCSMS& channel, int fileDescriptor) {
    if (askWithFallback(channel, fileDescriptor, "AT+GMI\r\n", "AT+CGMI\r", kMakerPrefixes,
                        &channel.Manuf) == Asked::WriteFailed) {
        return false;
    }
    QString answer;
    Asked asked =
        askWithFallback(channel, fileDescriptor, "AT+GMM\r", "AT+CGMM\r", kModelPrefixes, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    if (asked == Asked::Answered) {
        channel.Model = modelName(answer);
    }
    asked =
        askWithFallback(channel, fileDescriptor, "AT+CGSN\r", "AT+GSN\r", kImeiPrefixes, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    if (asked == Asked::Answered) {
        channel.Port_IMEI = withoutImeiWord(answer);
    }
    return true;
}

// How the device is doing now: battery, signal and the operator it is registered with. A
// device that does not answer the battery question has none; the other facts keep their
// earlier text when unanswered.
bool askCondition(MFCSMS& channel, int fileDescriptor) {
    QString answer;
    Asked asked = ask(channel, fileDescriptor, "AT+CBC\r", kBatteryPrefixes, false, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    channel.battery = asked == Asked::Answered ? batteryText(answer) : kNoBattery;
    asked = ask(channel, fileDescriptor, "AT+CSQ\r", kSignalPrefixes, false, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    if (asked == Asked::Answered) {
        signalText(answer, &channel.signal_str);
    }
    asked = ask(channel, fileDescriptor, "AT+COPS?\r", kOperatorPrefixes, true, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    if (asked == Asked::Answered) {
        channel.oprator = betweenQuotes(answer);
    }
    return true;
}

// The firmware revision and the device's own service centre, which a run may later put back.
bool askRevisionAndServiceCentre(MFCSMS& channel, int fileDescriptor) {
    if (askWithFallback(channel, fileDescriptor, "AT+GMR\r", "AT+CGMR\r", kRevisionPrefixes,
                        &channel.revision) == Asked::WriteFailed) {
        return false;
    }
    QString answer;
    const Asked asked =
        ask(channel, fileDescriptor, "AT+CSCA?\r", kServiceCentrePrefixes, true, &answer);
    if (asked == Asked::WriteFailed) {
        return false;
    }
    if (asked == Asked::Answered) {
        channel.def_smsc = answer == kNotSupported ? answer : serviceCentreNumber(answer);
    }
    return true;
}

}  // namespace

bool MFCSMS::Read_Ph_Values_NEW(int fileDescriptor) {
    try {
        m_sLastResponse = QString("");
        if (!Write_Command(fileDescriptor, "AT\r\n")) {
            return false;
        }
        Read_Command(fileDescriptor, kOk);  // the answer is not judged
        // In this order; the first command that cannot be written ends the questioning.
        return askIdentity(*this, fileDescriptor) && askCondition(*this, fileDescriptor) &&
               askRevisionAndServiceCentre(*this, fileDescriptor);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Read_Ph_Values_NEW exception catch"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return false;
}

QString MFCSMS::Get_IMEI_Number(int fileDescriptor) {
    try {
        if (!Write_Command(fileDescriptor, "AT\r\n") || !Read_Command(fileDescriptor, kOk)) {
            return QString("");
        }
        QString answer;
        if (ask(*this, fileDescriptor, "AT+CGSN\r", kImeiPrefixes, false, &answer) !=
            Asked::Answered) {
            return QString("");
        }
        answer = withoutImeiWord(answer);
        if (answer == kUndefined) {
            if (ask(*this, fileDescriptor, "AT+GSN\r", kImeiPrefixes, false, &answer) !=
                Asked::Answered) {
                return QString("");
            }
            answer = withoutImeiWord(answer);
        }
        return Trim_Str(answer);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Get_IMEI_Number exception catch"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return QString("");
}
