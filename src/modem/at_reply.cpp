#include "modem/at_reply.h"

namespace tesk::at {
namespace {

// Lines a modem sends on its own. Matched by prefix; a prefix that names the command in
// flight is that command's answer instead.
const QStringList& unsolicitedPrefixes() {
    static const QStringList prefixes = {
        // messages, reports and cell broadcasts arriving
        "+CMTI:",
        "+CMT:",
        "+CDS:",
        "+CDSI:",
        "+CBM:",
        "+CBMI:",
        // network registration and calls
        "+CREG:",
        "+CGREG:",
        "+CEREG:",
        "+C5GREG:",
        "RING",
        "+CRING:",
        "+CLIP:",
        "+CCWA:",
        "+CUSD:",
        "+CIEV:",
        "+CGEV:",
        "+CTZV:",
        "+CTZE:",
        "+CSSU:",
        "+CSSI:",
        // start-up and SIM state
        "+CPIN:",
        "+CFUN:",
        "RDY",
        "+PACSP",
        "+QIND:",
        "+STIN:",
        "SMS DONE",
        "PB DONE",
        "Call Ready",
        "SMS Ready",
        // vendor status lines
        "^RSSI:",
        "^HCSQ:",
        "^BOOT:",
        "^MODE:",
        "^SRVST:",
        "^SIMST:",
        "^SYSSTART",
        "^DSFLOWRPT:",
        "^CEND:",
        "^ORIG:",
        "^CONF:",
        "^CONN:",
        "^STIN:",
        "^NWTIME:",
        "+ZUSIMR:",
        "+ZPASR:",
    };
    return prefixes;
}

bool isNoise(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ReplacementCharacter ||
           (c.unicode() >= 0x80 && c.unicode() < 0xA0);
}

int leadingNumber(const QString& text, bool* found) {
    const QString t = text.trimmed();
    qsizetype end = 0;
    while (end < t.size() && t.at(end).isDigit() && t.at(end).unicode() < 0x80) {
        ++end;
    }
    bool ok = false;
    const int value = end > 0 && end < 10 ? t.left(end).toInt(&ok) : -1;
    *found = ok && end > 0;
    return ok ? value : -1;
}

}  // namespace

QString Without_Noise(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && (isNoise(line.at(begin)) || line.at(begin).isSpace())) {
        ++begin;
    }
    while (end > begin && (isNoise(line.at(end - 1)) || line.at(end - 1).isSpace())) {
        --end;
    }
    return line.mid(begin, end - begin);
}

FinalResult Parse_Final_Result(const QString& raw) {
    const QString line = Without_Noise(raw);
    FinalResult result;
    result.line = line;
    if (line == QLatin1String("OK")) {
        result.kind = FinalKind::Ok;
    } else if (line == QLatin1String("ERROR")) {
        result.kind = FinalKind::Error;
    } else if (line == QLatin1String("COMMAND NOT SUPPORT")) {
        result.kind = FinalKind::NotSupported;
    } else if (line == QLatin1String("NO CARRIER") || line == QLatin1String("BUSY") ||
               line == QLatin1String("NO ANSWER") || line == QLatin1String("NO DIALTONE")) {
        result.kind = FinalKind::NoCarrier;
    } else if (line.startsWith(QLatin1String("+CMS ERROR:")) ||
               line.startsWith(QLatin1String("+CME ERROR:"))) {
        result.kind =
            line.startsWith(QLatin1String("+CMS")) ? FinalKind::CmsError : FinalKind::CmeError;
        bool numeric = false;
        const int code = leadingNumber(line.mid(11), &numeric);
        result.code = numeric ? code : -1;
        if (numeric) {
            // Noise after the number is not part of the device's word.
            result.line = line.left(11) + QLatin1Char(' ') + QString::number(code);
        }
    } else {
        result.line.clear();
    }
    return result;
}

bool Is_Error(FinalKind kind) {
    return kind != FinalKind::None && kind != FinalKind::Ok;
}

QString Command_Name(const QString& command) {
    const QString c = command.trimmed().toUpper();
    if (!c.startsWith(QLatin1String("AT")) || c.size() < 3) {
        return QString();
    }
    const QChar lead = c.at(2);
    if (lead != QLatin1Char('+') && lead != QLatin1Char('^') && lead != QLatin1Char('$') &&
        lead != QLatin1Char('%')) {
        return QString();
    }
    qsizetype end = 3;
    while (end < c.size() && (c.at(end).isLetterOrNumber() || c.at(end) == QLatin1Char('_'))) {
        ++end;
    }
    return c.mid(2, end - 2);
}

LineKind Classify_Line(const QString& raw, const QString& command) {
    const QString line = Without_Noise(raw);
    if (line.isEmpty()) {
        return LineKind::Noise;
    }
    const QString sent = Without_Noise(command);
    if (!sent.isEmpty() && line.compare(sent, Qt::CaseInsensitive) == 0) {
        return LineKind::Echo;
    }
    if (Parse_Final_Result(line).kind != FinalKind::None) {
        return LineKind::Final;
    }
    const QString name = Command_Name(sent);
    if (!name.isEmpty() && line.startsWith(name, Qt::CaseInsensitive) &&
        (line.size() == name.size() || line.at(name.size()) == QLatin1Char(':'))) {
        return LineKind::Intermediate;
    }
    for (const QString& prefix : unsolicitedPrefixes()) {
        if (line.startsWith(prefix) &&
            (prefix.endsWith(QLatin1Char(':')) || line.size() == prefix.size() ||
             line.at(prefix.size()) == QLatin1Char(':') || line.at(prefix.size()).isSpace())) {
            return LineKind::Unsolicited;
        }
    }
    return LineKind::Intermediate;
}

int Unsolicited_Body_Lines(const QString& raw) {
    const QString line = Without_Noise(raw);
    if (line.startsWith(QLatin1String("+CMT:")) || line.startsWith(QLatin1String("+CBM:"))) {
        return 1;
    }
    // In PDU mode a report is "+CDS: <length>" and its PDU; in text mode the report's fields
    // stand on the line itself, and the next line is something else.
    if (line.startsWith(QLatin1String("+CDS:"))) {
        bool length = false;
        line.mid(5).trimmed().toInt(&length);
        return length ? 1 : 0;
    }
    return 0;
}

QString Reply::text() const {
    QStringList all = echo;
    all += lines;
    if (prompt) {
        all.append(QStringLiteral(">"));
    }
    if (final.kind != FinalKind::None) {
        all.append(final.line);
    }
    if (trailingOk) {
        all.append(QStringLiteral("OK"));
    }
    return all.join(QStringLiteral("\r\n"));
}

QList<int> Parse_Cmgs_References(const QStringList& lines) {
    QList<int> references;
    for (const QString& raw : lines) {
        const QString line = Without_Noise(raw);
        if (!line.startsWith(QLatin1String("+CMGS:"))) {
            continue;
        }
        bool found = false;
        const int reference = leadingNumber(line.mid(6), &found);
        if (found && reference <= 255) {
            references.append(reference);
        }
    }
    return references;
}

}  // namespace tesk::at
