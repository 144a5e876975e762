#include "checks/number_checks.h"

#include "core/text_helpers.h"

#include <QVarLengthArray>

#include <algorithm>

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

namespace {

bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Dots separate digit groups only when every dot stands between two digits and nothing but
// digits (after an optional "+") surrounds them. Three groups shaped like a date, and a single
// dot followed by fewer than three digits or by zeros only (a spreadsheet decimal), are no
// number: removing those dots would make up one.
bool dotsSeparateGroups(QStringView text) {
    const QStringView body = text.startsWith(u'+') ? text.sliced(1) : text;
    QVarLengthArray<QStringView, 8> groups;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= body.size(); ++i) {
        if (i < body.size() && isAsciiDigit(body[i])) {
            continue;
        }
        if (i < body.size() && body[i] != u'.') {
            return false;
        }
        if (i == start) {
            return false;  // a dot at either end, or two dots in a row
        }
        groups.append(body.sliced(start, i - start));
        start = i + 1;
    }
    const auto within = [](qsizetype n, qsizetype low, qsizetype high) {
        return n >= low && n <= high;
    };
    if (groups.size() == 2) {
        const QStringView tail = groups[1];
        const bool zerosOnly = tail.count(u'0') == tail.size();
        return tail.size() >= 3 && !zerosOnly;
    }
    if (groups.size() == 3 && !text.startsWith(u'+')) {
        const qsizetype a = groups[0].size();
        const qsizetype b = groups[1].size();
        const qsizetype c = groups[2].size();
        const bool dayFirst = within(a, 1, 2) && within(b, 1, 2) && (c == 2 || c == 4);
        const bool yearFirst = a == 4 && within(b, 1, 2) && within(c, 1, 2);
        return !dayFirst && !yearFirst;
    }
    return true;
}

// Digits after an optional "+": how most numbers of an import file arrive.
bool isPlainNumber(QStringView text) {
    const QStringView digits = text.startsWith(u'+') ? text.sliced(1) : text;
    return !digits.isEmpty() &&
           std::all_of(digits.begin(), digits.end(), [](QChar c) { return isAsciiDigit(c); });
}

// The inside of a spreadsheet's text mark ('0778..., ="0778..."), or the text itself. Taken off
// once only: what still starts with a mark after that is no number, and a second cleaning must
// come to the same result.
QStringView withoutTextMark(QStringView text) {
    QStringView inner = text;
    if (text.size() >= 3 && text.startsWith(u"=\"") && text.endsWith(u'"')) {
        inner = text.sliced(2, text.size() - 3).trimmed();
    } else if (text.startsWith(u'\'')) {
        inner = text.sliced(1).trimmed();
    }
    if (inner.data() != text.data() &&
        (inner.startsWith(u'\'') || (inner.startsWith(u"=\"") && inner.endsWith(u'"')))) {
        return text;
    }
    return inner;
}

}  // namespace

QString Clean_Number_Form(const QString& text) {
    return isPlainNumber(text) ? text : Clean_Number_Form(QStringView(text));
}

QString Clean_Number_Form(QStringView text) {
    if (isPlainNumber(text)) {
        return text.toString();
    }
    QString kept;
    kept.reserve(text.size());
    // "(0)" is the national trunk zero written beside the international prefix; dialled from
    // abroad it must go.
    qsizetype trunkZero = text.indexOf(u"(0)");
    if (trunkZero >= 0 && !text.first(trunkZero).contains(u'+')) {
        trunkZero = -1;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == trunkZero + 1 && trunkZero >= 0) {
            continue;
        }
        if (!Is_Number_Layout_Mark(text[i])) {
            kept.append(text[i]);
        }
    }
    QStringView number = withoutTextMark(QStringView(kept).trimmed());
    if (number.contains(u'.') && dotsSeparateGroups(number)) {
        QString joined = number.toString();
        joined.remove(u'.');
        return joined;
    }
    // Nothing trimmed or unwrapped: the kept characters are the result, without another copy.
    return number.size() == kept.size() ? kept : number.toString();
}

bool Is_Number_Layout_Mark(QChar c) {
    switch (c.unicode()) {
        case u'-':
        case u'(':
        case u')':
        case u'\u2010':  // hyphen
        case u'\u2011':  // non-breaking hyphen
        case u'\u2012':  // figure dash
        case u'\u2013':  // en dash, which word processors put in place of a typed hyphen
        case u'\u2014':  // em dash
        case u'\u2015':  // horizontal bar
        case u'\u2212':  // minus sign
            return true;
        default: {
            const QChar::Category category = c.category();
            return category == QChar::Separator_Space || category == QChar::Other_Format;
        }
    }
}
