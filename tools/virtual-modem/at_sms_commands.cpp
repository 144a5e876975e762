// The SMS settings of the command set: message format, service centre and text parameters.
// The AT+CMGS exchange itself is in at_submission.cpp.
#include "virtual-modem/at_session.h"
#include "virtual-modem/text_payload.h"

namespace tesk::vmodem {
namespace {

constexpr int kCmsInvalidPduParameter = 304;
constexpr int kCmsInvalidTextParameter = 305;
constexpr int kTypeInternational = 145;
constexpr int kTypeUnknown = 129;

bool validNumber(const QString& number) {
    const QString digits = number.startsWith(QLatin1Char('+')) ? number.mid(1) : number;
    if (digits.isEmpty() || digits.size() > 20) {
        return false;
    }
    for (const QChar c : digits) {
        if (!c.isDigit() && c != QLatin1Char('*') && c != QLatin1Char('#')) {
            return false;
        }
    }
    return true;
}

// Packed GSM 7-bit septets as hexadecimal octets (least significant bit first). Used for
// numbers only, whose characters have the same codes in the GSM alphabet as in ASCII.
QString packedSeptetsHex(const QString& text) {
    QByteArray octets;
    quint32 bits = 0;
    int held = 0;
    for (const QChar c : text) {
        bits |= quint32(c.unicode() & 0x7F) << held;
        held += 7;
        while (held >= 8) {
            octets.append(char(bits & 0xFF));
            bits >>= 8;
            held -= 8;
        }
    }
    if (held > 0) {
        octets.append(char(bits & 0xFF));
    }
    return QString::fromLatin1(octets.toHex().toUpper());
}

}  // namespace

bool AtSession::modeAllowed(int cmgf) const {
    switch (config_.modes) {
        case SmsModes::Both:
            return cmgf == 0 || cmgf == 1;
        case SmsModes::Pdu:
            return cmgf == 0;
        case SmsModes::Text:
            return cmgf == 1;
        case SmsModes::None:
            break;
    }
    return false;
}

bool AtSession::numberArg(const Arg& arg, QString* number) const {
    const QString given = QString::fromUtf8(arg.value);
    *number = DecodeTeString(given, charset_);
    // Leniently a number is taken in either form under UCS2; strictly only the hexadecimal form
    // is a number there, and only the plain form under the other sets.
    const bool wasHex = *number != given;
    if (config_.strictCharset && wasHex != (charset_ == QLatin1String("UCS2"))) {
        return false;
    }
    return validNumber(*number);
}

AtSession::Reply AtSession::sms(const Extended& cmd) {
    const QByteArray& n = cmd.name;
    // The settings answer even when smsSupported is off; the message commands do not.
    if (n == "+CSCA") {
        return serviceCentre(cmd);
    }
    if (n == "+CSMP") {
        return textParameters(cmd);
    }
    if (n == "+CMMS") {
        return moreMessages(cmd);
    }
    if (!config_.smsSupported) {
        return error();
    }
    if (n == "+CPMS" || n == "+CNMI" || n == "+CMGR" || n == "+CMGL" || n == "+CMGD") {
        return inbox(cmd);
    }
    if (n == "+CSMS") {
        return messageService(cmd);
    }
    if (n == "+CMGF") {
        return messageFormat(cmd);
    }
    // +CMGS
    if (cmd.form == Extended::Test) {
        return Reply();
    }
    if (cmd.form != Extended::Set) {
        return error();
    }
    return startSubmission(cmd);
}

// AT+CSMP: first octet, validity, protocol id and coding scheme of text-mode submissions.
AtSession::Reply AtSession::textParameters(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Query) {
        reply.lines = {QStringLiteral("+CSMP: %1,%2,%3,%4")
                           .arg(csmp_[0])
                           .arg(csmp_[1])
                           .arg(csmp_[2])
                           .arg(csmp_[3])
                           .toLatin1()};
    } else if (cmd.form == Extended::Set) {
        int values[4] = {csmp_[0], csmp_[1], csmp_[2], csmp_[3]};
        for (qsizetype i = 0; i < cmd.args.size(); ++i) {
            if (cmd.args[i].value.isEmpty()) {
                continue;  // an empty parameter keeps its value
            }
            if (i >= 4 || !toInt(cmd.args[i].value, &values[i]) || values[i] < 0 ||
                values[i] > 255) {
                return error(Final::Cms, kCmsInvalidTextParameter);
            }
        }
        std::copy(values, values + 4, csmp_);
    }
    return reply;
}

// AT+CMMS: whether the link to the network is kept open between submissions (kept, not used).
AtSession::Reply AtSession::moreMessages(const Extended& cmd) {
    Reply reply;
    int value = 0;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CMMS: " + QByteArray::number(cmms_)};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+CMMS: (0-2)"};
    } else if (cmd.form == Extended::Set) {
        if (!toInt(cmd.args.value(0).value, &value) || value < 0 || value > 2) {
            return error();
        }
        cmms_ = value;
    }
    return reply;
}

// AT+CSMS: the message service; both phases are offered and nothing is kept.
AtSession::Reply AtSession::messageService(const Extended& cmd) {
    Reply reply;
    int value = 0;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CSMS: 0,1,1,1"};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+CSMS: (0,1)"};
    } else if (cmd.form == Extended::Set && toInt(cmd.args.value(0).value, &value) &&
               (value == 0 || value == 1)) {
        reply.lines = {"+CSMS: 1,1,1"};
    } else {
        reply = error();
    }
    return reply;
}

// AT+CMGF: PDU or text mode, as far as the configured modes allow.
AtSession::Reply AtSession::messageFormat(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Test) {
        static const QByteArray kOffers[] = {"+CMGF: (0)", "+CMGF: (1)", "+CMGF: (0,1)",
                                             "+CMGF: ()"};
        reply.lines = {kOffers[int(config_.modes)]};
        return reply;
    }
    if (config_.modes == SmsModes::None) {
        return error();
    }
    int value = 0;  // a bare AT+CMGF selects PDU mode, its default
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CMGF: " + QByteArray::number(cmgf_)};
    } else if (cmd.form == Extended::Set && !toInt(cmd.args.value(0).value, &value)) {
        reply = error();
    } else if (modeAllowed(value)) {
        cmgf_ = value;
    } else {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::serviceCentre(const Extended& cmd) {
    Reply reply;
    if (config_.serviceCentreAnswer == ServiceCentreAnswer::NotSupported) {
        return error(Final::NotSupported);
    }
    if (cmd.form == Extended::Query) {
        const ServiceCentreAnswer form = config_.serviceCentreAnswer;
        if (form == ServiceCentreAnswer::Absent) {
            return reply;
        }
        if (form == ServiceCentreAnswer::NotSupportedOk) {
            reply.lines = {"COMMAND NOT SUPPORT"};
            return reply;
        }
        QString number = scaNumber_;
        if (scaType_ == kTypeInternational && !number.startsWith(QLatin1Char('+'))) {
            number.prepend(QLatin1Char('+'));
        }
        if (form == ServiceCentreAnswer::Ucs2Hex) {
            number = ToUcs2Hex(number);
        } else if (form == ServiceCentreAnswer::Packed7Bit) {
            number = packedSeptetsHex(number);
        } else if (form == ServiceCentreAnswer::Unsigned && number.startsWith(QLatin1Char('+'))) {
            number.remove(0, 1);
        }
        const QString separator =
            config_.serviceCentreTypeBlank ? QStringLiteral(", ") : QStringLiteral(",");
        reply.lines = {
            QStringLiteral("+CSCA: \"%1\"%2%3").arg(number, separator).arg(scaType_).toUtf8()};
        return reply;
    }
    if (cmd.form == Extended::Test) {
        return reply;
    }
    if (cmd.form != Extended::Set || cmd.args.isEmpty()) {
        return error();
    }
    QString number;
    const bool valid = numberArg(cmd.args[0], &number);
    int type = number.startsWith(QLatin1Char('+')) ? kTypeInternational : kTypeUnknown;
    if (!valid || (cmd.args.size() > 1 && !toInt(cmd.args[1].value, &type)) || type < 128 ||
        type > 255) {
        return error(Final::Cms, kCmsInvalidPduParameter);
    }
    scaNumber_ = number;
    scaType_ = type;
    return reply;
}

}  // namespace tesk::vmodem
