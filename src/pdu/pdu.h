#pragma once
// SMS-SUBMIT PDUs (upper-case hexadecimal, two digits per octet) in the GSM 7-bit default
// alphabet and in UCS2, single messages and the parts of concatenated ones, plus the user-data
// decoders device questioning needs for encoded service-centre answers.
//
// No shared mutable state: every instance belongs to one message being sent, so 32 sending
// threads may each use their own instance at the same time. Static members are pure.
#include <QByteArray>
#include <QList>
#include <QString>

// Upper-case hexadecimal without a leading zero: 5 -> "5", 26 -> "1A", 0 -> "0".
QString Hex(int value);
// Low 8 bits of the first UTF-16 unit (0 for an empty text).
int Asc(const QString& text);
// The first UTF-16 unit (0 for an empty text).
int AscW(const QString& text);

class PDU {
  public:
    static constexpr int kSeptetsPerPart = 152;  // 7-bit window of one concatenated part
    static constexpr int kUnitsPerPart = 66;     // UCS2 window of one concatenated part
    static constexpr int kSingleSeptets = 160;
    static constexpr int kSingleUnits = 70;
    static constexpr int kMaxTpduOctets = 154;

    static QString BCDEncode(int value);
    static QString PadZero(const QString& text, int length);
    static QString EncodeSMSCAddress(const QString& number);
    static QString EncodeDestinationAddress(const QString& number);

    // Septets of the text through the GSM table; extension characters give 27 then their code.
    static QByteArray MapTo7BitAlphabet(const QString& text);
    static QString EncodeUserData(const QByteArray& septets);
    static QString EncodeUserData_16_bit(const QString& text);
    static QString DecodeUserData(const QString& hex);
    static QString DecodeUserData_16_bit(const QString& hex);
    static int hex2int(const QString& hex);

    // True when the text needs UCS2 to arrive intact (some character outside the GSM set).
    static bool Needs_Unicode(const QString& text);

    // Single message. Returns "" when includeSmsc is false.
    QString EncodePDU(const QString& message, const QString& number, const QString& smsc,
                      bool includeSmsc, bool flash, bool unicode);

    // Number of concatenated parts the message takes in the given coding: 152-septet windows
    // that never split an escape pair (7-bit), 66-unit windows that never split a surrogate
    // pair (UCS2).
    static int Part_Count(const QString& message, bool unicode);
    // Septets (7-bit) or UTF-16 units (UCS2) each of those parts carries, header not counted.
    // An empty text is one empty part.
    static QList<int> Part_Sizes(const QString& message, bool unicode);
    // TPDU octets of the single-message PDU (without the service-centre field).
    static int Tpdu_Octets(const QString& pdu);
    // True when the message goes as one PDU: within 160 septets / 70 units and 154 TPDU octets.
    bool Fits_Single_Message(const QString& message, const QString& number, const QString& smsc,
                             bool unicode);

    // How many messages a modem is handed for this text to this number; `unicode` is the
    // composer's Unicode option. PDU mode: one PDU when Fits_Single_Message, else Part_Count
    // concatenated parts. Text mode: one message when the single PDU would fit, else separate
    // messages of 150 characters, or 64 when the text goes through the UCS2 character set
    // (Text_Mode_Wide), never splitting a surrogate pair. An empty text is one message.
    static int Pdu_Mode_Submissions(const QString& message, const QString& number, bool unicode);
    static int Text_Mode_Submissions(const QString& message, const QString& number, bool unicode);
    // True when text mode sends the text through the UCS2 character set: it holds a character
    // outside plain ASCII, or ASCII that a device's GSM character set reads as another
    // character.
    static bool Text_Mode_Wide(const QString& message, bool unicode);
    static constexpr int kTextModeChars = 150;
    static constexpr int kTextModeWideChars = 64;

    // One part (from 1) of a long message. The first call for a message fixes its windows and
    // takes a fresh 16-bit concatenation reference; later parts of the same message reuse them.
    // Asking for part 1 always begins a new message (and takes a new reference).
    // "" when includeSmsc is false or the part does not exist.
    QString Encode_UDH_PDU(const QString& message, const QString& number, const QString& smsc,
                           bool includeSmsc, bool flash, int totalParts, int part, bool unicode);

    // The reference the current long message carries (valid after its first part).
    int Concatenation_Reference() const { return reference_; }

    // Ask the network for a status report of every PDU this instance encodes from now on
    // (TP-SRR, TS 23.040 9.2.3.5). Off by default.
    void Set_Status_Report_Request(bool on) { statusReportRequest_ = on; }
    bool Status_Report_Request() const { return statusReportRequest_; }

  private:
    int firstOctet(int base) const;
    void prepareLongMessage(const QString& message, bool unicode);

    QString longMessage_;
    bool longUnicode_ = false;
    bool longPrepared_ = false;
    QList<QString> windows_;  // user data hex of each part
    QList<int> windowUdl_;    // TP-UDL of each part, header included
    int reference_ = 0;
    bool statusReportRequest_ = false;
};
