#pragma once
// Pure text tests shared by the composers, device questioning, submission and every window that
// validates a number. Callable from any thread.
#include <QString>
#include <QStringView>

#include <cstdint>

// 1 = invalid, 0 = valid. Flag 1 also allows ",".
uint8_t Check_Ph_Number(const QString& text, uint8_t testFlag);
// 1 when some UTF-16 unit is outside the GSM 7-bit default alphabet and its extension table.
int Check_UNICODE_Message(const QString& text);
// 1 when some non-blank character is outside plain ASCII letters, digits and signs.
int Check_Non_English_Message(const QString& text);

// The same three checks as plain answers, for the program's own use (the inverted 1 = invalid
// forms above are what the composers and their stored settings were written against).
inline bool isValidPhoneNumber(const QString& text) {
    return Check_Ph_Number(text, 0) == 0;
}
inline bool needsUcs2(const QString& text) {
    return Check_UNICODE_Message(text) == 1;
}
inline bool hasNonEnglishText(const QString& text) {
    return Check_Non_English_Message(text) == 1;
}

// A number as people and spreadsheets write it, reduced to what the syntax check judges. Removed:
// white space of every kind (no-break and thin spaces included), invisible format marks, hyphens
// and dashes, parentheses, and "(0)" with its zero when a "+" stands before it ("+44 (0)20 ...").
// Dots between digit groups ("06.12.34.56.78") are removed unless the text reads as a date or a
// decimal ("01.02.2024", "447911123456.0"). A spreadsheet's text mark, a leading apostrophe or
// ="...", is taken off once. The ends are trimmed. Anything else stays for the check to refuse,
// so a number in scientific notation ("4.47911E+11", its last digits lost) stays invalid.
// Cleaning a cleaned text changes nothing.
QString Clean_Number_Form(QStringView text);
// The same; a text of digits (after an optional "+") comes back shared, without a copy.
QString Clean_Number_Form(const QString& text);
// What Clean_Number_Form always removes: blanks of every width, invisible format marks (numbers
// copied from a phone's contacts often carry direction marks), hyphens, dashes, the minus sign
// and parentheses.
bool Is_Number_Layout_Mark(QChar c);
