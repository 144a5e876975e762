#pragma once
// Pure parsers of what a modem says: which line is the final result of a command, which is an
// intermediate result, which repeats the command (echo), and which the modem sent on its own
// (unsolicited: new messages, delivery reports, network registration, vendor status lines).
// An unsolicited line is never a verdict. No I/O here: the exchange feeds lines in and gets
// typed results back, and the tests feed captured transcripts.
#include <QList>
#include <QString>
#include <QStringList>

namespace tesk::at {

enum class FinalKind {
    None,  // not a final result
    Ok,
    Error,         // bare ERROR
    CmsError,      // +CMS ERROR: n (message service)
    CmeError,      // +CME ERROR: n (equipment)
    NotSupported,  // COMMAND NOT SUPPORT, as some devices end a command they do not know
    NoCarrier,     // NO CARRIER / BUSY / NO ANSWER / NO DIALTONE: a call-related end
};

struct FinalResult {
    FinalKind kind = FinalKind::None;
    int code = -1;  // the number of +CMS/+CME ERROR; -1 when absent or given as text
    QString line;   // the line as it came, without noise around it
};

// The final result code this line is, or kind None.
FinalResult Parse_Final_Result(const QString& line);
bool Is_Error(FinalKind kind);

enum class LineKind { Echo, Intermediate, Final, Unsolicited, Noise };

// "AT+CSQ" -> "+CSQ", "AT+CMGS=23" -> "+CMGS", "AT^SYSINFO" -> "^SYSINFO", "AT" -> "".
QString Command_Name(const QString& command);

// Classifies one line that arrived while `command` (as written, without its line end) waited
// for its answer. A line that starts like an unsolicited result but carries the command's own
// name ("+CREG: 0,1" for AT+CREG?) is the command's intermediate result.
LineKind Classify_Line(const QString& line, const QString& command);

// How many lines of body follow this unsolicited line: +CMT and +CBM carry one (a PDU or the
// text), +CDS one in PDU mode ("+CDS: <length>") and none in text mode.
int Unsolicited_Body_Lines(const QString& line);

// The line without the control characters and replacement characters that line noise leaves
// at its ends, trimmed.
QString Without_Noise(const QString& line);

// Everything a device answered to one command.
struct Reply {
    QStringList echo;   // lines that repeat what was sent
    QStringList lines;  // intermediate results
    FinalResult final;
    bool prompt = false;      // the "> " of a submission
    bool trailingOk = false;  // an OK that followed COMMAND NOT SUPPORT
    bool lineLost = false;    // the device went away (end of file or an I/O error)

    bool complete() const { return final.kind != FinalKind::None || prompt; }
    bool ok() const { return final.kind == FinalKind::Ok; }
    // Echo, intermediate lines, prompt and final result in arrival order, joined by CR LF:
    // the text the program logs and keeps as the last response.
    QString text() const;
};

// The message references of a submission's answer ("+CMGS: 17" -> 17), in order.
QList<int> Parse_Cmgs_References(const QStringList& lines);

}  // namespace tesk::at
