#pragma once
// Text and file helpers shared by every subsystem. Lengths and positions are UTF-16 code units
// (QString). None of them throws: a failure is logged and the documented default returned.
// A null QString is "absent text"; only the two Find_Str functions distinguish it from "".
#include <QString>

#include <cstdint>

// The eight characters that stand for one line feed inside a stored record.
inline const QString kRecordLineBreakMarker = QStringLiteral("|AP*|DX/");

QString Left_Str_substringToIndex(const QString& text, int32_t count);
QString Right_Str_substringFromIndex(const QString& text, int32_t count);
QString Read_Str_FromIndex(const QString& text, int32_t index);
QString Read_Str_Upto_Index(const QString& text, int32_t index);
QString Trim_Str(const QString& text);

bool Find_Str(const QString& text, const QString& part);
bool Find_Str_Case_Insensitive(const QString& text, const QString& part);

QString Replace_char_in_string(const QString& text, const QString& find,
                               const QString& replacement);
QString Replace_Char_For_Valid_Number(const QString& text);

QString Replace_Sent_Item_and_Template_New_Line_with_Seprator(const QString& text);
QString Replace_Sent_Item_and_Template_Seprator_With_New_Line(const QString& text);

QString MakeUpper(const QString& text);
QString MakeLower(const QString& text);

void Delete_File(const QString& path);
