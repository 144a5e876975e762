#include "composer/message_rules.h"

#include "checks/number_checks.h"
#include "pdu/pdu.h"

namespace tesk::composer {

QString Cut_Message(const QString& text) {
    if (text.size() <= kMaxMessageLength) {
        return text;
    }
    // A cut between the two halves of a surrogate pair would leave half a character that no
    // coding can send; such a text keeps one unit less.
    const bool splitsPair = text.at(kMaxMessageLength - 1).isHighSurrogate() &&
                            text.at(kMaxMessageLength).isLowSurrogate();
    return text.left(splitsPair ? kMaxMessageLength - 1 : kMaxMessageLength);
}

QString Cut_Number(const QString& text) {
    return text.size() > kMaxNumberLength ? text.left(kMaxNumberLength) : text;
}

MessageSize Measure_Message(const QString& text, bool unicodeOption) {
    const QString message = Cut_Message(text);
    MessageSize size;
    size.characters = static_cast<int>(message.size());
    size.ucs2 = unicodeOption || needsUcs2(message);
    if (size.ucs2) {
        size.multiPart = message.size() > PDU::kSingleUnits;
    } else {
        // Septets, with an escaped character counting two, as the single PDU carries them.
        const qsizetype septets = qMax(PDU::MapTo7BitAlphabet(message).size(), message.size());
        size.multiPart = septets > PDU::kSingleSeptets;
    }
    size.parts = size.multiPart ? PDU::Part_Count(message, size.ucs2) : 1;
    return size;
}

MessageSize Measure_Message(const QString& text, bool unicodeOption, const CountBasis& basis) {
    const QString message = Cut_Message(text);
    const int digits = basis.numberDigits < 0 ? kMaxNumberLength : basis.numberDigits;
    // Only the number's length matters to the PDU's size, not its digits.
    const QString number(digits, QLatin1Char('9'));
    MessageSize size;
    size.characters = static_cast<int>(message.size());
    size.parts = 0;
    if (basis.modes.pdu || !basis.modes.text) {
        size.parts = PDU::Pdu_Mode_Submissions(message, number, unicodeOption);
        size.ucs2 = unicodeOption || PDU::Needs_Unicode(message);
    }
    if (basis.modes.text) {
        size.parts = qMax(size.parts, PDU::Text_Mode_Submissions(message, number, unicodeOption));
        size.ucs2 = size.ucs2 || PDU::Text_Mode_Wide(message, unicodeOption);
    }
    size.multiPart = size.parts > 1;
    return size;
}

QString Count_Basis_Text(const CountBasis& basis) {
    QString modes;
    if (!basis.modes.known) {
        modes = QStringLiteral(
            "No device is chosen yet: the count is for PDU or text mode, whichever sends more "
            "messages.");
    } else if (basis.modes.pdu && basis.modes.text) {
        modes = QStringLiteral(
            "The chosen devices send in PDU and in text mode: the count is for whichever sends "
            "more messages.");
    } else {
        modes = basis.modes.pdu
                    ? QStringLiteral("Counted for PDU mode, as the chosen device sends.")
                    : QStringLiteral("Counted for text mode, as the chosen device sends.");
    }
    const QString numbers =
        basis.numberDigits < 0
            ? QStringLiteral(
                  "The list has no numbers yet: the count is for the longest number "
                  "allowed (%1 digits).")
                  .arg(kMaxNumberLength)
            : QStringLiteral(
                  "Counted for the longest number in the list (%1 digits); a long "
                  "number leaves less room in a single message.")
                  .arg(basis.numberDigits);
    return modes + QLatin1Char('\n') + numbers;
}

QString Message_Count_Text(const MessageSize& size) {
    if (size.multiPart) {
        return QStringLiteral("%1 Characters (Each Message will now consume %2 SMS)")
            .arg(size.characters)
            .arg(size.parts);
    }
    return QStringLiteral("%1 Characters").arg(size.characters);
}

QString Long_Sms_Dialog_Text(bool ucs2) {
    if (ucs2) {
        return QStringLiteral(
            "Your current message is exceeding the typical Unicode SMS (non-English text SMS) "
            "Length of 70 Characters. Messages of more than 70 characters will be delivered in "
            "multiple messages of 70 characters to each recipient.\n\nEither shorten the length "
            "of your existing text message or click OK to continue anyway by delivering each "
            "message in multiple parts of 70 characters.");
    }
    return QStringLiteral(
        "Your current message is exceeding the typical SMS Length of 160 Characters. Messages of "
        "more than 160 characters will be delivered in multiple messages of 160 characters to "
        "each recipient.\n\nEither shorten the length of your existing text message or click OK "
        "to continue anyway by delivering each message in multiple parts of 160 characters.");
}

}  // namespace tesk::composer
