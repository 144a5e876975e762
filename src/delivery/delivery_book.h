#pragma once
// Which sent messages reached their recipients. Every message sent with a delivery report
// requested is written down with its device, recipient and the message references the device
// gave its parts; every status report the devices pass on is written down as it came. A report
// finds its message by device, reference and recipient, whenever it arrives: the file keeps
// both, so a report that comes days later, in another run of the program, still finds it.
//
// The file ("Deliveries.VORN" in the data folder) is append-only, one record per line, one
// write per record, like the other stores; the state of a message is replayed from it.
// Thread-safe: the sending threads record and match while the windows read.
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tesk::delivery {

enum class State {
    NoReport,   // nothing heard yet
    Pending,    // the network still tries (temporary error) or only some parts arrived
    Delivered,  // every part reached the handset
    Failed,     // a part cannot be delivered (permanent error)
};

// One status report as a device passed it on, decoded.
struct Report {
    int reference = 0;  // the message reference of the part, 0-255
    QString recipient;
    int status = 0;  // TP-ST as the network gave it
    QDateTime dischargeTime;
};

// The state of one part for a status value (TS 23.040: delivered, still trying, failed).
State State_Of_Status(int status);

struct MessageDelivery {
    QString id;
    QDateTime sentAt;
    QString device;
    QString recipient;
    QString excerpt;  // the message's first characters, for the views
    QList<int> references;
    QList<int> statuses;  // per part, -1 when no report came yet
    State state = State::NoReport;
    QString detail;  // the cause of a failure or delay, in words
    QDateTime lastReportAt;
};

// "Delivered", "Pending", "Failed: <cause>", "No report yet".
QString State_Text(const MessageDelivery& message);

// True when the two numbers name the same phone: the same digits, or the same last nine digits
// when one is written in national and the other in international form.
bool Same_Recipient(const QString& first, const QString& second);

class DeliveryBook {
  public:
    // Replays the file at `path` (a missing file is an empty book).
    explicit DeliveryBook(QString path);

    // The book of the data folder, shared by the whole program; a new one when the data folder
    // changed since (holders keep theirs alive).
    static std::shared_ptr<DeliveryBook> Shared();
    const QString& path() const { return path_; }
    static QString Default_File();

    // Writes down a message sent with a report requested; returns its id. Nothing is written
    // (and "" returned) without references: the device gave nothing a report could name.
    QString Record_Sent(const QString& device, const QString& recipient,
                        const QList<int>& references, const QString& text,
                        const QDateTime& sentAt = QDateTime::currentDateTimeUtc());

    // Writes down a report that came from `device` and matches it: the id of its message, or
    // nullopt when no message of the book is its own (it is kept all the same, so the view
    // shows it). A message waiting for this reference takes it before one already settled,
    // the newest first, so a reference used again after the device's counter wrapped finds the
    // latest message.
    std::optional<QString> Apply_Report(
        const QString& device, const Report& report,
        const QDateTime& receivedAt = QDateTime::currentDateTimeUtc());

    std::optional<MessageDelivery> message(const QString& id) const;
    // Newest first.
    QList<MessageDelivery> messages() const;
    int unmatchedReports() const;

    // Called (on the thread that applied it) after a report changed a message.
    using Listener = std::function<void(const QString& id)>;
    int addListener(Listener listener);
    void removeListener(int token);

  private:
    std::optional<int> match(const QString& device, const Report& report,
                             const QDateTime& receivedAt) const;
    void applyTo(int index, const Report& report, const QDateTime& receivedAt);
    void replay(const QByteArray& bytes);

    QString path_;
    mutable std::mutex mutex_;
    std::vector<MessageDelivery> messages_;  // oldest first
    int unmatched_ = 0;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextToken_ = 1;
};

}  // namespace tesk::delivery
