#pragma once
// Pure text tests shared by the composers, device questioning, submission and every window that
// validates a number. Callable from any thread.
#include <QString>

#include <cstdint>

// 1 = invalid, 0 = valid. Flag 1 also allows ",".
uint8_t Check_Ph_Number(const QString& text, uint8_t testFlag);
// 1 when some UTF-16 unit is outside the GSM 7-bit default alphabet and its extension table.
int Check_UNICODE_Message(const QString& text);
// 1 when some non-blank character is outside plain ASCII letters, digits and signs.
int Check_Non_English_Message(const QString& text);
