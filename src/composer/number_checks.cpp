#include "composer/number_checks.h"

#include "core/text_helpers.h"

namespace {

constexpr int kMaxNumberLength = 20;

// The GSM 7-bit default alphabet and its extension table by Unicode code point. One UTF-16 unit
// at a time, so a character outside the Basic Multilingual Plane fails on both of its halves.
constexpr bool isGsmUnit(char16_t unit) {
    // clang-format off
    switch (unit) {
        case 10:  // line feed
        case 12:  // form feed (extension table)
        case 13:  // carriage return
        case 64:  // @
        case 95:  // _
        case 91: case 92: case 93: case 94: case 123: case 124: case 125: case 126:
        case 8364:  // euro sign
        case 161: case 163: case 164: case 165: case 167: case 191: case 196: case 197:
        case 198: case 199: case 201: case 209: case 214: case 216: case 220: case 223:
        case 224: case 228: case 229: case 230: case 232: case 233: case 236: case 241:
        case 242: case 246: case 248: case 249: case 252:
        case 915: case 916: case 920: case 923: case 926: case 928: case 931: case 934:
        case 936: case 937:
            return true;
        default:
            return (unit >= 32 && unit <= 63) || (unit >= 65 && unit <= 90) ||
                   (unit >= 97 && unit <= 122);
    }
    // clang-format on
}

// Letters, digits and the signs of an ASCII keyboard, as the six classes list them.
bool isPlainAscii(QChar c) {
    static const QString kClasses = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "abcdefghijklmnopqrstuvwxyz"
        "01234567890"
        "~!@#$%^*_+=-[]}{:,.?/"
        "&\\|><"
        "()\";'`");
    return kClasses.contains(c);
}

}  // namespace

uint8_t Check_Ph_Number(const QString& text, uint8_t testFlag) {
    const QString number = Trim_Str(text);
    if (number.isEmpty() || number.size() > kMaxNumberLength) {
        return 1;
    }
    for (const QChar c : number) {
        const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('+') || c == QLatin1Char('-') ||
                             (testFlag == 1 && c == QLatin1Char(','));
        if (!allowed) {
            return 1;
        }
    }
    return 0;
}

int Check_UNICODE_Message(const QString& text) {
    for (const QChar c : text) {
        if (!isGsmUnit(c.unicode())) {
            return 1;
        }
    }
    return 0;
}

int Check_Non_English_Message(const QString& text) {
    for (const QChar c : text) {
        // Trimming one character leaves nothing exactly when QChar::isSpace holds for it, so
        // blanks and line breaks are skipped without building a string per character.
        if (c.isSpace()) {
            continue;
        }
        if (!isPlainAscii(c)) {
            return 1;
        }
    }
    return 0;
}
