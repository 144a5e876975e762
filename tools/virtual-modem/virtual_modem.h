#pragma once
// A GSM modem on a pseudo-terminal, for tests and for rehearsing a campaign without hardware.
// It answers the AT commands the program sends, decodes every submitted SMS by its own reading
// of the SMS-SUBMIT format and appends one JSON line per SMS to a log.
//
// Threading: start() spawns one service thread that owns the pseudo-terminal master; every
// public accessor is safe to call from any thread while it runs.
#include <QDateTime>
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

// A message the network brings to the modem. The modem encodes it as SMS-DELIVER itself, in as
// many concatenated parts as the text needs.
struct IncomingSms {
    enum class Coding { Auto, Gsm7, EightBit, Ucs2 };  // Auto: GSM 7-bit when it fits, else UCS2
    QString sender;  // "+4477..." international, digits national, anything else a sender name
    QString text;    // under EightBit, characters up to U+00FF (one octet each)
    Coding coding = Coding::Auto;
    bool reference16 = false;  // parts carry a 16-bit concatenation reference (else 8-bit)
    int reference = -1;        // that reference; -1: the modem takes the next of its own
    int delayMs = 0;           // after start (Config::incoming) or after injectIncoming()
    QDateTime centreTime;      // the service centre's time stamp; invalid: when it arrives
};

// What the network answers, per recipient, to a submission that asked for a status report.
struct ReportPlan {
    enum Outcome {
        Delivered,               // one report, TP-ST 0x00
        TemporaryThenDelivered,  // TP-ST temporaryStatus, then 0x00 after delayMs more
        Failed,                  // one report, TP-ST failedStatus
        None,                    // no report at all (a network that never tells)
    };
    QString number;  // the destination as addressed ("+44..."); empty: every number
    Outcome outcome = Delivered;
    int delayMs = 0;  // after the verdict of the submission
    int temporaryStatus = 0x21;
    int failedStatus = 0x41;
};

struct Config {
    QString name = QStringLiteral("VM0");  // announced as <Virtual_Modem_Dir()>/tty<name>
    bool announce = true;                  // create the symlink; false: only devicePath() exists
    QString imei = QStringLiteral("356938035643809");
    QString imeiPrefix{};  // put before the IMEI in +CGSN / +GSN answers, e.g. "IMEI: "
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
    QStringList undefinedCommands{};
    QStringList errorCommands{};  // extended commands answered ERROR whatever their form
    bool smsSupported = true;     // false: +CSMS / +CMGS=? / +CMGF answer ERROR
    bool echo = true;             // initial echo state; ATE0 / ATE1 switch it
    bool echoOnly = false;        // echoes every command and never answers anything
    int latencyMs = 0;            // delay before each answer
    int lateAnswerMs = 0;         // extra delay before each final result (answers "too late")
    // The Nth message ended with Ctrl-Z (not the Nth AT+CMGS) is refused with +CMS ERROR
    // <cmsErrorCode>; 0 = never.
    int cmsErrorOnSubmission = 0;
    int cmsErrorFromSubmission = 0;  // that message and every later one get +CMS ERROR; 0 = never
    int cmsErrorCode = 500;
    int silentAfterSubmission = 0;  // after this many submissions answer nothing at all; 0 = never
    int hangUpAfterSubmission = 0;  // after this many submissions close the line; 0 = never
    bool garbage = false;           // sprinkle random non-text bytes before every answer
    bool invalidUtf8 = false;       // every answer carries a byte sequence that is not UTF-8
    QString logPath{};              // JSON lines of received SMS and refusals; empty = no file

    // The awkward habits of real devices. Unless said otherwise, "submission n" below is the
    // n-th AT+CMGS=... command (1-based; 0 = none), whether it got its prompt or not. Delays add
    // up, and nothing ever overtakes output that is still to come.

    // AT&F and ATZ switch echo on, as most factory profiles do, whatever `echo` said; false:
    // they restore `echo`.
    bool echoAfterReset = false;
    // A command-mode line that does not begin with "AT" is dropped without an answer (still
    // recorded in commands()); false: it is answered ERROR.
    bool ignoreNonCommands = true;
    // That AT+CMGS is answered at once with refuseBeforePromptAnswer (the final line, verbatim)
    // instead of the prompt; the modem stays in command mode, so what the client types next
    // (the PDU, the text) is read as command lines.
    int refuseBeforePromptOnSubmission = 0;
    QString refuseBeforePromptAnswer = QStringLiteral("+CMS ERROR: 330");
    // Extra delay before the verdict (the answer after Ctrl-Z) of every submission, or of
    // verdictDelayOnSubmission alone when that is set. Commands that arrive meanwhile are
    // echoed and answered after the verdict, in order.
    int verdictDelayMs = 0;
    int verdictDelayOnSubmission = 0;
    // Lines the modem sends of its own accord, each framed as "\r\n" + line + "\r\n". A line may
    // hold "\r\n" itself, e.g. "+CMT: ,23\r\n<pdu>". delayMs holds it (and everything after it)
    // back that long after what precedes it.
    struct Unsolicited {
        enum When {
            AfterPrompt,       // after the first "> " of that submission
            BeforeVerdict,     // after its Ctrl-Z, before its (possibly delayed) verdict
            AfterVerdict,      // right after its verdict
            AfterEveryCommand  // after every final result (submission ignored)
        } when = AfterVerdict;
        int submission = 0;  // 1-based; 0 = every submission
        QByteArray line;     // e.g. "+CMTI: \"SM\",3"
        int delayMs = 0;
    };
    QList<Unsolicited> unsolicited{};
    // That submission's verdict is "COMMAND NOT SUPPORT" and the message is not delivered.
    int notSupportedOnSubmission = 0;
    // That AT+CMGS gets its prompt, then the modem never answers or echoes anything again and
    // delivers nothing: a device lost mid-submission. What reaches it is still recorded in
    // commands(), read as command lines.
    int silentAfterPromptOnSubmission = 0;
    // The number in AT+CMGS="..." (text mode) and AT+CSCA="..." must be written in the
    // character set in force: UCS2 hex under "UCS2", plain digits under the others. Otherwise
    // +CMS ERROR: 305 (AT+CMGS, before the prompt) or +CMS ERROR: 304 (AT+CSCA). false: either
    // form is taken under UCS2.
    bool strictCharset = false;
    // The bytes "\xC3\x28" (not UTF-8) just before the line end of every ERROR, +CMS ERROR and
    // +CME ERROR final line.
    bool invalidUtf8InsideFinal = false;

    // Status reports and incoming messages, as AT+CNMI routes them: shown at once (+CDS, +CMT),
    // stored and announced (+CDSI, +CMTI) or stored silently, on a SIM of storageSlots entries
    // read with AT+CMGR / AT+CMGL and emptied with AT+CMGD.

    // The first "+CMGS: n" reference (they run to 255, then 0).
    int firstReference = 0;
    // The first plan whose number matches decides; without one a report says delivered at once.
    QList<ReportPlan> reports{};
    int storageSlots = 20;
    QList<IncomingSms> simMessages{};  // on the SIM, unread, from the start
    QList<IncomingSms> incoming{};     // arriving delayMs after start
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
    QString raw;                       // the PDU hex, or the text-mode payload as received
    int reference = 0;                 // the message reference answered in +CMGS
    bool statusReportRequest = false;  // TP-SRR in the PDU, or AT+CSMP's first octet
};

// A submission the modem refused: before the prompt, or in its verdict after Ctrl-Z.
struct Refusal {
    QString time;    // ISO 8601, UTC
    QString port;    // Config::name
    QString number;  // the destination when known (text mode, or a readable PDU), else empty
    QString answer;  // the final line sent, e.g. "+CMS ERROR: 330"
    QString stage;   // "before-prompt" or "verdict"
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
    // Every AT+CMGS=... answered with an error instead of the prompt, and every submission
    // whose verdict was not "+CMGS: n" (a lost device's submission is in neither list).
    QList<Refusal> refusals() const;

    // The network brings this message (after its delayMs); safe from any thread.
    void injectIncoming(const IncomingSms& sms);
    // Status reports the modem has passed on or stored so far.
    int reportsIssued() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tesk::vmodem
