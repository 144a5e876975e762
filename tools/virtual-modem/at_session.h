#pragma once
// The command side of the virtual modem, free of any I/O: bytes from the line go in, answers
// and events come out through a host. Framing, echo, the AT command set and the AT+CMGS input
// states live here; timing, garbage and the pseudo-terminal belong to the host.
// Not thread-safe: one service thread drives it.
#include "virtual-modem/virtual_modem.h"

#include <QByteArray>
#include <QList>
#include <QString>

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
};

class AtSession {
  public:
    AtSession(const Config& config, SessionHost& host);
    void feed(const QByteArray& bytes);

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
    static QList<Arg> parseArgs(const QByteArray& text);
    Reply basic(char letter, int value, bool ampersand);
    Reply extended(const Extended& cmd);
    Reply sms(const Extended& cmd);
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
    bool silent_ = false;
    bool hungUp_ = false;
};

}  // namespace tesk::vmodem
