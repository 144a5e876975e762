#pragma once
// A GSM modem on a pseudo-terminal, for tests and for rehearsing a campaign without hardware.
// It answers the AT commands the program sends, decodes every submitted SMS by its own reading
// of the SMS-SUBMIT format and appends one JSON line per SMS to a log.
//
// Threading: start() spawns one service thread that owns the pseudo-terminal master; every
// public accessor is safe to call from any thread while it runs.
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace tesk::vmodem {

enum class SmsModes { Pdu, Text, Both, None };  // what AT+CMGF=? offers

enum class ServiceCentreAnswer {
    Plain,           // +CSCA: "+4479...",145
    Ucs2Hex,         // +CSCA: "002B0034...",145 (the number as UCS2 hex)
    NotSupported,    // the answer line "COMMAND NOT SUPPORT"
    Absent,          // OK without a +CSCA line
    Unsigned,        // +CSCA: "4479...",145 (the "+" left off, the type still international)
    NotSupportedOk,  // the line "COMMAND NOT SUPPORT" followed by OK
    Packed7Bit,      // +CSCA: "2B1A...",145 (the number as packed GSM 7-bit septets, hex)
};

struct Config {
    QString name = QStringLiteral("VM0");  // announced as <Virtual_Modem_Dir()>/tty<name>
    bool announce = true;                  // create the symlink; false: only devicePath() exists
    QString imei = QStringLiteral("356938035643809");
    QString imeiPrefix;  // put before the IMEI in +CGSN / +GSN answers, e.g. "IMEI: "
    QString manufacturer = QStringLiteral("Virtual Modems Ltd");
    QString model = QStringLiteral("VM-1");
    QString revision = QStringLiteral("VM-1.0.0");
    QString operatorName = QStringLiteral("Test Network");
    bool operatorQuoted = true;  // false: +COPS: 0,2,<operatorName> (numeric format, no quotes)
    int batteryState = 0;        // +CBC: <state>,<percent>; 0 on battery, 1 charging, 2 none,
                                 // 3 power fault
    int batteryPercent = 80;     // +CBC: 0,80
    int signal = 20;             // +CSQ: 20,99
    SmsModes modes = SmsModes::Both;
    ServiceCentreAnswer serviceCentreAnswer = ServiceCentreAnswer::Plain;
    QString serviceCentre = QStringLiteral("+447785016005");
    bool serviceCentreTypeBlank = false;  // write the type as ", 145" (blank after the comma)
    // Extended commands ("+GMI", "+CBC", ...) answered with the line "Undefined" and OK, as
    // devices do that only know the older form of a question.
    QStringList undefinedCommands;
    QStringList errorCommands;     // extended commands answered ERROR whatever their form
    bool smsSupported = true;      // false: +CSMS / +CMGS=? / +CMGF answer ERROR
    bool echo = true;              // initial echo state; ATE0 / ATE1 switch it
    bool echoOnly = false;         // echoes every command and never answers anything
    int latencyMs = 0;             // delay before each answer
    int lateAnswerMs = 0;          // extra delay before each final result (answers "too late")
    int cmsErrorOnSubmission = 0;  // 1-based submission number that gets +CMS ERROR; 0 = never
    int cmsErrorCode = 500;
    int silentAfterSubmission = 0;  // after this many submissions answer nothing at all; 0 = never
    int hangUpAfterSubmission = 0;  // after this many submissions close the line; 0 = never
    bool garbage = false;           // sprinkle random non-text bytes before every answer
    bool invalidUtf8 = false;       // every answer carries a byte sequence that is not UTF-8
    QString logPath;                // JSON lines of received SMS; empty = no file
};

// One SMS as the network would deliver it (one entry per submitted PDU or text message).
struct ReceivedSms {
    QString time;           // ISO 8601, UTC
    QString port;           // Config::name
    QString mode;           // "pdu" or "text"
    QString number;         // destination as addressed ("+" for international)
    QString text;           // decoded user data (without the header)
    QString coding;         // "gsm7", "8bit" or "ucs2"
    int messageClass = -1;  // 0..3, -1 when none
    int concatRef = -1;     // -1 when the message is not part of a concatenated one
    int concatPart = 0;
    int concatTotal = 0;
    QString raw;        // the PDU hex, or the text-mode payload as received
    int reference = 0;  // the message reference answered in +CMGS
};

class VirtualModem {
  public:
    explicit VirtualModem(Config config = {});
    ~VirtualModem();  // stops
    VirtualModem(const VirtualModem&) = delete;
    VirtualModem& operator=(const VirtualModem&) = delete;

    bool start(QString* error = nullptr);
    void stop();
    bool running() const;

    QString devicePath() const;     // the pseudo-terminal slave, /dev/pts/N
    QString announcedPath() const;  // the symlink, empty when not announced
    QString portPath() const;       // announcedPath() when announced, else devicePath()

    QList<ReceivedSms> received() const;
    QStringList commands() const;  // every command line received, in order, without line end
    int submissions() const;       // AT+CMGS attempts that were ended with Ctrl-Z

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tesk::vmodem
