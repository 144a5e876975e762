#pragma once
// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038, 6.2.1), seen from the
// receiving side: septets in, Unicode out.
#include <QByteArray>
#include <QList>
#include <QString>

namespace tesk::vmodem {

inline constexpr quint8 kGsmEscape = 0x1B;

// Turns a septet sequence into text. ESC selects the extension table for the next septet; an
// extension code without a symbol shows as the default-table character (what a handset does),
// ESC ESC and a trailing ESC show as a space.
QString GsmSeptetsToText(const QList<quint8>& septets);

// The same for a byte string in the GSM character set of a terminal (one septet per byte).
// Bytes with the top bit set are not GSM characters; they are kept as Latin-1.
QString GsmBytesToText(const QByteArray& bytes);

// Unpacks `count` septets from packed user data, starting `bitOffset` bits into it
// (least significant bit first, as the packing of TS 23.038 6.1.2.1 lays them out).
// Returns false when the data is too short.
bool UnpackSeptets(const QByteArray& octets, int bitOffset, int count, QList<quint8>* septets);

// The other way, for what the modem itself sends: the septets of a text, extension characters
// as ESC and their code. False when a character is no GSM character.
bool TextToGsmSeptets(const QString& text, QList<quint8>* septets);

// Packs septets after `bitOffset` zero bits (room for a user-data header and its fill bits).
QByteArray PackSeptets(const QList<quint8>& septets, int bitOffset);

}  // namespace tesk::vmodem
