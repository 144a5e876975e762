#pragma once
// Text-mode submissions: what a message typed after AT+CMGS="<number>" becomes on the air,
// given the terminal character set chosen with AT+CSCS and the coding chosen with AT+CSMP.
#include "virtual-modem/sms_submit_decoder.h"

#include <QByteArray>
#include <QString>

namespace tesk::vmodem {

struct TextPayload {
    bool ok = false;
    QString text;
    QString error;
};

// `bytes` is the message as typed, line breaks already reduced to LF.
//  GSM:  one GSM default-alphabet character per byte (0x1B escapes to the extension table);
//  IRA:  ASCII;
//  UCS2: hexadecimal UTF-16BE;
//  HEX:  hexadecimal octets, read as the coding says (UCS2 → UTF-16BE, 8-bit → octets,
//        7-bit → UTF-8 when they are valid UTF-8, else GSM characters).
// Under GSM and IRA a byte with the top bit set is no character of the set; a valid UTF-8
// sequence there is taken as that character, anything else as Latin-1.
TextPayload DecodeTextPayload(const QByteArray& bytes, const QString& charset,
                              const DataCoding& coding);

// A string parameter (a number) in the terminal character set: under UCS2 a number may come
// as hexadecimal UTF-16BE; it is decoded when it reads as one, else taken as it stands.
QString DecodeTeString(const QString& value, const QString& charset);

// Hexadecimal UTF-16BE, upper case, as a modem shows a string under the UCS2 set.
QString ToUcs2Hex(const QString& text);

}  // namespace tesk::vmodem
