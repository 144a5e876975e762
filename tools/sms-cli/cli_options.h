#pragma once
// The command line of tesk-sms-cli: what each subcommand accepts, parsed into plain structs so
// the runs themselves never look at argv. A parse returns an error text for the user ("" when
// the arguments were understood); the caller prints it with the usage hint and exits 2.
#include <QString>
#include <QStringList>

#include <optional>

namespace tesk::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotAllSent = 1;
inline constexpr int kExitUsage = 2;

extern const char kMainUsage[];
extern const char kScanUsage[];
extern const char kSendUsage[];
extern const char kListenUsage[];

struct ScanOptions {
    bool json = false;
    std::optional<QStringList> devices;  // nullopt: the machine's modem ports
    bool help = false;
};

// Which items the status report lists (the export's "All Items" / "Sent Successfully" /
// "Not Sent").
enum class ReportStatus { All = 0, Sent = 1, NotSent = 2 };

struct SendOptions {
    QString numbersFile;
    QString message;
    bool haveMessage = false;
    QString messageFile;
    std::optional<QStringList> devices;  // nullopt: every modem port of the machine
    QString mode;                        // "", "pdu" or "text"
    QString smsc;
    bool unicode = false;
    bool flash = false;
    bool skipDuplicates = false;
    QStringList excludeFiles;
    int pauseEveryIndex = -1;  // into Delayed_Count_Entries(), -1 when not given
    int pauseIndex = -1;       // into Delayed_Pause_Entries(), -1 when not given
    bool saveSentItems = false;
    bool fastPacing = false;       // --pacing fast
    int deviceLimit = 0;           // --limit-per-device N
    bool limitPerDay = false;      // --per-day
    bool keepGoing = false;        // --keep-going
    bool deliveryReports = false;  // --delivery-reports
    QString reportPath;
    bool reportHtml = false;
    ReportStatus status = ReportStatus::All;
    bool statusGiven = false;
    bool help = false;

    bool delayed() const { return pauseEveryIndex >= 0 || pauseIndex >= 0; }
};

// `arguments` are the words after the subcommand.
// tesk-sms-cli listen: reports and replies from the devices until stopped.
struct ListenOptions {
    std::optional<QStringList> devices;  // nullopt: every modem port of the machine
    int seconds = 0;                     // 0: until Ctrl-C
    bool help = false;
};

QString Parse_Scan_Options(const QStringList& arguments, ScanOptions* options);
QString Parse_Listen_Options(const QStringList& arguments, ListenOptions* options);
QString Parse_Send_Options(const QStringList& arguments, SendOptions* options);

// The index of the composer's list entry a user typed, compared without case and with runs
// of blanks collapsed ("10 seconds" finds "10 Seconds", "2 minutes" finds " 2  Minutes");
// -1 when none matches.
int Pause_Entry_Index(const QString& typed);
int Pause_Every_Entry_Index(const QString& typed);

// The --devices value: nullopt for "all", else the comma separated paths (blanks trimmed,
// empty pieces dropped).
std::optional<QStringList> Device_Paths_Argument(const QString& value);

}  // namespace tesk::cli
