#pragma once
// How long a message may be, how many SMS it costs and the texts that say so.
//
// The SMS count is the number of messages the sending path really submits: in PDU mode a message
// goes as UCS2 when the Unicode option is on or when some character is outside the GSM alphabet;
// it is one SMS when its single PDU fits (160 septets, escaped characters such as "€" or "["
// taking two, or 70 UTF-16 units, and a TPDU that a long destination number does not push past
// its limit), and otherwise as many concatenated parts as PDU::Part_Count gives (152-septet or
// 66-unit windows); text mode splits in its own sizes (PDU::Text_Mode_Submissions). The
// character count shown is in UTF-16 units. Pure functions, any thread.
#include <QString>

namespace tesk::composer {

inline constexpr int kMaxMessageLength = 1600;  // composer text and every list message
inline constexpr int kMaxNumberLength = 20;     // number fields

struct MessageSize {
    int characters = 0;      // UTF-16 units, at most kMaxMessageLength
    int parts = 1;           // SMS the message costs
    bool ucs2 = false;       // goes out as UCS2
    bool multiPart = false;  // past the single-message limit
};

// The text's first kMaxMessageLength units (one less when the cut would split a surrogate pair).
QString Cut_Message(const QString& text);
// The number field's first kMaxNumberLength units.
QString Cut_Number(const QString& text);

// Measures the text after cutting it to kMaxMessageLength, as a single PDU within 160 septets
// or 70 units regardless of the number (the Android composer: the phone splits on its own).
MessageSize Measure_Message(const QString& text, bool unicodeOption);

// How the devices of a GSM run submit: in PDU mode, in text mode, or both (several devices).
// Not known while no device is chosen; the count then takes the larger of the two.
struct SendingModes {
    bool pdu = true;
    bool text = true;
    bool known = false;
    bool operator==(const SendingModes&) const = default;
};

// What a GSM count is made for. A longer destination address leaves less room in the single
// PDU, so the longest number of the list decides; with no number yet, the longest one the list
// may take.
struct CountBasis {
    int numberDigits = -1;  // digits of the longest recipient number; -1: the list is empty
    SendingModes modes;
};

// Measures the text (cut to kMaxMessageLength) as the GSM sending path submits it to the
// basis' numbers: the SMS count is the most messages any chosen mode hands the modem.
MessageSize Measure_Message(const QString& text, bool unicodeOption, const CountBasis& basis);
// The count label's tooltip: what the count was made for, and that it is the worst case where
// devices or numbers are not known yet.
QString Count_Basis_Text(const CountBasis& basis);

// "%d Characters", or "%d Characters (Each Message will now consume %d SMS)" past the limit.
QString Message_Count_Text(const MessageSize& size);

// The warning shown when a message first grows past one SMS; the UCS2 wording for a message
// that goes as UCS2.
QString Long_Sms_Dialog_Text(bool ucs2);

}  // namespace tesk::composer
