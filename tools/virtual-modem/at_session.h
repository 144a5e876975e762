#pragma once
// The command side of the virtual modem, free of any I/O: bytes from the line go in, answers
// and events come out through a host. Framing, echo, the AT command set and the AT+CMGS input
// states live here; timing, garbage and the pseudo-terminal belong to the host.
// Not thread-safe: one service thread drives it.
#include "virtual-modem/virtual_modem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <chrono>

namespace tesk::vmodem {

enum class OutputKind {
    Echo,         // bytes sent back as they came
    Info,         // information lines of an answer
    Final,        // the final result code of an answer
    Prompt,       // "> " of AT+CMGS
    Unsolicited,  // a line the modem sends of its own accord
};

class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual void send(OutputKind kind, const QByteArray& bytes) = 0;
    virtual void commandLine(const QString& line) = 0;
    virtual void submitted() = 0;  // an AT+CMGS input was ended with Ctrl-Z
    virtual void delivered(const ReceivedSms& sms) = 0;
    virtual void refused(const Refusal& refusal) = 0;
    virtual void pause(int ms) = 0;  // hold back everything sent after this by ms
    virtual void hangUp() = 0;       // close the line once everything sent so far is out
    virtual void reportIssued() {}   // a status report was shown or stored
};

class AtSession {
  public:
    AtSession(const Config& config, SessionHost& host);
    void feed(const QByteArray& bytes);
    // Passes on the reports and messages that are due; the host calls it whenever it can.
    // Nothing is shown in the middle of a submission's input: it waits for command mode.
    void tick();
    // The network brings a message (after its delayMs).
    void arrive(const IncomingSms& sms);

  private:
    enum class Input { Command, Pdu, Text };
    enum class Final { Ok, Error, Cme, Cms, NotSupported, NoCarrier, Verbatim, Prompt };
    struct Reply {
        QList<QByteArray> lines;
        Final final = Final::Ok;
        int code = 0;
        QByteArray text;  // the final line of Final::Verbatim
    };
    struct Arg {
        QByteArray value;
        bool quoted = false;
    };
    struct Extended {
        QByteArray name;  // upper case, with its leading '+'
        enum Form { Action, Query, Test, Set } form = Action;
        QList<Arg> args;
    };

    void commandByte(char c);
    void inputByte(char c);
    void echo(char c);
    void output(OutputKind kind, const QByteArray& bytes);
    void flushEcho();

    void execute(const QByteArray& line);
    Reply nextCommand(const QByteArray& line, qsizetype* at);
    static bool parseExtended(const QByteArray& line, qsizetype* at, Extended* cmd);
    Reply basicCommand(const QByteArray& line, qsizetype* at);
    static QList<Arg> parseArgs(const QByteArray& text);
    Reply basic(char letter, int value, bool ampersand);
    Reply extended(const Extended& cmd);
    Reply identity(const Extended& cmd, const QString& value);
    Reply batteryOrSignal(const Extended& cmd);
    Reply networkOperator(const Extended& cmd);
    Reply errorReporting(const Extended& cmd);
    Reply characterSet(const Extended& cmd);
    Reply pinState(const Extended& cmd);
    Reply sms(const Extended& cmd);
    Reply textParameters(const Extended& cmd);
    Reply moreMessages(const Extended& cmd);
    Reply messageService(const Extended& cmd);
    Reply messageFormat(const Extended& cmd);
    Reply serviceCentre(const Extended& cmd);
    bool numberArg(const Arg& arg, QString* number) const;
    Reply startSubmission(const Extended& cmd);
    Reply promptOrRefusal(const Reply& reply, const QString& number);
    void afterPrompt();
    void finishSubmission();
    bool pduMessage(ReceivedSms* sms) const;
    bool textMessage(ReceivedSms* sms) const;
    void cancelSubmission();
    void sendReply(const Reply& reply);
    void sendUnsolicited(Config::Unsolicited::When when);
    void refuse(const Reply& reply, const QString& number, const char* stage);
    void resetProfile();

    // Storage, indications, incoming messages and status reports (at_inbox.cpp).
    using Clock = std::chrono::steady_clock;
    struct Stored {
        bool report = false;
        bool read = false;
        QString pdu;  // hex with the service-centre field
        int tpduOctets = 0;
        QString sender;  // a message's originator
        QDateTime centreTime;
        QString text;
        QString reportFields;  // a report's text-mode fields after its prefix
    };
    struct Event {
        Clock::time_point due;
        bool report = false;
        IncomingSms sms;  // a message
        // A report, and the one that follows it (followStatus >= 0) after followDelayMs.
        QString recipient;
        int reference = 0;
        QDateTime submitted;
        int status = 0;
        int followStatus = -1;
        int followDelayMs = 0;
    };
    void prepareInbox();
    Reply inbox(const Extended& cmd);
    Reply readStored(const Extended& cmd);
    Reply listStored(const Extended& cmd);
    Reply deleteStored(const Extended& cmd);
    Reply storageQuery(const Extended& cmd);
    Reply indications(const Extended& cmd);
    QByteArray entryLines(int index, const Stored& entry, bool list) const;
    void scheduleReport(const QString& number, int reference);
    void fire(const Event& event);
    int store(const Stored& entry);  // the index, 0 when the storage is full
    void indicate(const QByteArray& lines);
    int usedSlots() const { return int(storage_.size()); }

    static Reply error(Final kind = Final::Error, int code = 0);
    static bool toInt(const QByteArray& text, int* value);
    QByteArray finalText(const Reply& reply) const;
    bool modeAllowed(int cmgf) const;

    const Config config_;
    SessionHost& host_;

    // Profile (ATZ / AT&F restore it).
    bool echo_ = true;
    int cmgf_ = 0;
    int cmee_ = 0;
    QString charset_ = QStringLiteral("GSM");
    int csmp_[4] = {17, 167, 0, 0};  // first octet, validity, protocol id, coding scheme
    int cmms_ = 0;

    // Kept across resets, as a SIM keeps it.
    QString scaNumber_;
    int scaType_ = 145;

    Input input_ = Input::Command;
    QByteArray line_;
    QByteArray pendingEcho_;
    bool lastWasCr_ = false;

    // The AT+CMGS in progress.
    int announcedLength_ = 0;
    QString textNumber_;
    QByteArray payload_;  // PDU hex digits, or the text with line breaks as LF
    QByteArray raw_;      // everything typed after the prompt, as it came

    int attempts_ = 0;     // AT+CMGS=... commands: the submission numbers of Config
    int submission_ = 0;   // the number of the AT+CMGS in progress
    int submissions_ = 0;  // ended with Ctrl-Z: what cmsErrorOnSubmission counts
    int delivered_ = 0;
    int nextReference_ = 0;

    int cnmi_[5] = {0, 0, 0, 0, 0};  // mode, mt, bm, ds, bfr
    QMap<int, Stored> storage_;      // by index, from 1
    QList<Event> events_;            // due in order of arrival
    QList<Stored> waitingForRoom_;   // the network keeps them until the storage has room
    int nextIncomingReference_ = 1;
    bool silent_ = false;
    bool hungUp_ = false;
};

}  // namespace tesk::vmodem
