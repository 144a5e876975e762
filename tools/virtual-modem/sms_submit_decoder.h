#pragma once
// Reads an SMS-SUBMIT PDU as a network would (3GPP TS 23.040 9.2.2.2, with the data coding
// scheme of TS 23.038 4). Pure functions: hexadecimal text in, a result with an error text out;
// any length that runs past the data is an error, never a read past the end.
#include <QByteArray>
#include <QString>

namespace tesk::vmodem {

enum class Alphabet { Gsm7, EightBit, Ucs2 };

struct DataCoding {
    Alphabet alphabet = Alphabet::Gsm7;
    int messageClass = -1;  // 0..3, -1 when the scheme gives none
    bool compressed = false;
};

// TP-DCS to alphabet and class.
DataCoding DescribeDcs(int dcs);

// "gsm7", "8bit" or "ucs2", the coding names of the receive log.
QString AlphabetName(Alphabet alphabet);

enum class ValidityFormat { None, Relative, Enhanced, Absolute };

struct SmsSubmit {
    bool ok = false;
    QString error;  // why the PDU was refused; empty when ok

    // Service-centre field (the part before the TPDU); "00" counts one octet.
    int scaOctets = 0;
    QString serviceCentre;  // empty when the field was "00"
    int tpduOctets = 0;     // what AT+CMGS=<length> must announce

    int firstOctet = 0;
    bool rejectDuplicates = false;
    bool statusReportRequest = false;
    bool replyPath = false;
    bool hasHeader = false;
    ValidityFormat validityFormat = ValidityFormat::None;
    QByteArray validity;  // the TP-VP octets as sent

    int messageReference = 0;
    int numberType = 0;  // TP-DA type of address octet
    QString number;      // "+" in front for an international number

    int pid = 0;
    int dcs = 0;
    DataCoding coding;
    int userDataLength = 0;  // TP-UDL as sent (septets for 7-bit, octets otherwise)

    int concatRef = -1;  // -1: no concatenation element in the header
    int concatPart = 0;
    int concatTotal = 0;
    bool concatRef16 = false;

    QString text;  // the user data without its header
};

SmsSubmit DecodeSmsSubmit(const QString& hex);

// User data octets shown as text when the scheme says 8-bit: printable Latin-1 as itself, every
// other octet as \xHH, so binary content stays readable and lossless. The backslash itself is
// shown as \x5C: written as it stands, the octets "\x41" would read back as "A".
QString EightBitToText(const QByteArray& octets);

}  // namespace tesk::vmodem
