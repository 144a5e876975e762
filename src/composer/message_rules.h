#pragma once
// How long a message may be, how many SMS it costs and the texts that say so.
//
// The SMS count is the number of PDUs the sending path really submits: a message goes as UCS2
// when the Unicode option is on or when some character is outside the GSM alphabet; it is one
// SMS within 160 septets (escaped characters such as "€" or "[" take two) or 70 UTF-16 units,
// and otherwise as many concatenated parts as PDU::Part_Count gives (152-septet or 66-unit
// windows). The character count shown is in UTF-16 units. Pure functions, any thread.
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

// Measures the text after cutting it to kMaxMessageLength.
MessageSize Measure_Message(const QString& text, bool unicodeOption);

// "%d Characters", or "%d Characters (Each Message will now consume %d SMS)" past the limit.
QString Message_Count_Text(const MessageSize& size);

// The warning shown when a message first grows past one SMS; the UCS2 wording for a message
// that goes as UCS2.
QString Long_Sms_Dialog_Text(bool ucs2);

}  // namespace tesk::composer
