#include "core/text_helpers.h"

#include "core/log.h"

#include <QFile>
#include <QFileInfo>

#include <exception>

namespace {

// Runs body under the exception guard every helper has: log the reason, return the default.
template <typename Body, typename Result>
Result guarded(const char* name, Result fallback, Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("%1 exception").arg(QLatin1String(name)));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    } catch (...) {
        Show_NSLog_Message(QStringLiteral("%1 exception").arg(QLatin1String(name)));
    }
    return fallback;
}

bool findGuarded(const char* name, const QString& text, const QString& part,
                 Qt::CaseSensitivity cs) {
    if (text.isNull() || part.isNull() || part.isEmpty()) {
        return false;
    }
    try {
        return text.contains(part, cs);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("%1 exception").arg(QLatin1String(name)));
        Show_NSLog_Message(text);
        Show_NSLog_Message(part);
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return false;
}

// The two "read" functions test the index as an unsigned 64-bit number after sign extension,
// so every negative index is "beyond the length".
bool beyond(const QString& text, int32_t index) {
    return static_cast<uint64_t>(static_cast<int64_t>(index)) > static_cast<uint64_t>(text.size());
}

}  // namespace

QString Left_Str_substringToIndex(const QString& text, int32_t count) {
    return guarded("Left_Str_substringToIndex", QString(""), [&] {
        const qsizetype n = count < 0 ? 0 : count;
        return n >= text.size() ? text : text.left(n);
    });
}

QString Right_Str_substringFromIndex(const QString& text, int32_t count) {
    return guarded("Right_Str_substringFromIndex", QString(""), [&] {
        const qsizetype n = count < 0 ? 0 : count;
        return n >= text.size() ? text : text.right(n);
    });
}

QString Read_Str_FromIndex(const QString& text, int32_t index) {
    return guarded("Read_Str_FromIndex", QString(""),
                   [&] { return beyond(text, index) ? QString("") : text.mid(index); });
}

QString Read_Str_Upto_Index(const QString& text, int32_t index) {
    return guarded("Read_Str_Upto_Index", QString(""),
                   [&] { return beyond(text, index) ? QString("") : text.left(index); });
}

QString Trim_Str(const QString& text) {
    return guarded("Trim_Str", QString(""), [&] { return text.trimmed(); });
}

bool Find_Str(const QString& text, const QString& part) {
    return findGuarded("Find_Str", text, part, Qt::CaseSensitive);
}

bool Find_Str_Case_Insensitive(const QString& text, const QString& part) {
    return findGuarded("Find_Str_Case_Insensitive", text, part, Qt::CaseInsensitive);
}

QString Replace_char_in_string(const QString& text, const QString& find,
                               const QString& replacement) {
    if (find.isEmpty()) {
        return text;
    }
    QString result = text;
    return result.replace(find, replacement, Qt::CaseSensitive);
}

QString Replace_Char_For_Valid_Number(const QString& text) {
    QString result = Replace_char_in_string(text, QStringLiteral("-"), QString(""));
    result = Replace_char_in_string(result, QStringLiteral(" "), QString(""));
    return Trim_Str(result);
}

QString Replace_Sent_Item_and_Template_New_Line_with_Seprator(const QString& text) {
    return Replace_char_in_string(text, QStringLiteral("\n"), kRecordLineBreakMarker);
}

QString Replace_Sent_Item_and_Template_Seprator_With_New_Line(const QString& text) {
    return Replace_char_in_string(text, kRecordLineBreakMarker, QStringLiteral("\n"));
}

QString MakeUpper(const QString& text) {
    const QString trimmed = Trim_Str(text);
    return trimmed.isEmpty() ? QString("") : Trim_Str(trimmed.toUpper());
}

QString MakeLower(const QString& text) {
    const QString trimmed = Trim_Str(text);
    return trimmed.isEmpty() ? QString("") : Trim_Str(trimmed.toLower());
}

void Delete_File(const QString& path) {
    try {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink()) {
            QFile::remove(path);  // a failed deletion is ignored by design
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Delete_File exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}
