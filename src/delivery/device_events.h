#pragma once
// What a device tells the program on its own about the messages: status reports of the ones it
// sent and messages that came in. DeviceEvents asks the device to pass them on (AT+CNMI), reads
// those it stored (AT+CMGR, and AT+CMGL for what came while the program was away), matches the
// reports in the delivery book, keeps the messages in the inbox with their opt-outs, and only
// then deletes them from the device (AT+CMGD): a message the program has not stored stays on
// the SIM to be read again.
//
// Runs on the thread that owns the channel (a sending thread, the listening command).
#include "delivery/delivery_book.h"
#include "delivery/inbox.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class MFCSMS;

namespace pdu {
class PartAssembler;
struct IncomingMessage;
struct StatusReport;
}  // namespace pdu

namespace tesk::delivery {

class DeviceEvents {
  public:
    struct Sinks {
        DeliveryBook* book = nullptr;
        Inbox* inbox = nullptr;
        // After a report changed a message (the message's id).
        std::function<void(const QString&)> reportMatched;
        // After a message was stored.
        std::function<void(const InboxMessage&)> messageStored;
    };

    // `device` names the device in the book and the inbox (its IMEI where known).
    DeviceEvents(MFCSMS* channel, int fileDescriptor, QString device, bool textMode, Sinks sinks);
    ~DeviceEvents();
    DeviceEvents(const DeviceEvents&) = delete;
    DeviceEvents& operator=(const DeviceEvents&) = delete;

    // How the device passes reports on.
    enum class Routing {
        None,          // it refused every setting: no reports, no news of messages
        Direct,        // reports come as +CDS lines
        Stored,        // reports are stored and announced (+CDSI), then read and deleted
        MessagesOnly,  // new messages are announced; reports are not passed on
    };
    // Sets AT+CNMI: new messages stored and announced (+CMTI), reports passed on directly when
    // the device can, else stored and announced.
    Routing Enable();
    // Reads every message and report the device holds (received ones only: messages the
    // device keeps to send are not the program's to delete). Returns how many were handled.
    int Read_Stored();
    // Handles lines the channel set aside (MFCSMS::Take_Unsolicited).
    void Handle(const QStringList& unsolicited);
    // Waits up to `seconds` for the device to say something, and handles it.
    void Listen(double seconds);
    // Before the program lets go of the device: reports that come later are to be stored on it
    // (a report passed on directly while nothing listens is lost), to be read next time.
    void Leave();

    int reportsHandled() const { return reports_; }
    int messagesStored() const { return stored_; }

  private:
    bool command(const QString& text);
    void readList();
    void handleReportPdu(const QString& hex);
    void handleReportText(const QString& line);
    // Counts the report and matches it in the book.
    void applyReport(const pdu::StatusReport& report);
    // A stored entry read by AT+CMGR / AT+CMGL: its header line and its body.
    bool handleStoredEntry(int index, const QString& header, const QString& body);
    void readIndex(const QString& memory, int index);
    void deliver(const pdu::IncomingMessage& part, QList<int> indices);
    void deleteIndices(const QList<int>& indices);

    MFCSMS* channel_;
    int fd_;
    QString device_;
    bool textMode_;
    Sinks sinks_;
    std::unique_ptr<pdu::PartAssembler> assembler_;
    // Indices on the device of the parts of long messages not yet whole, by the part's key.
    QHash<QString, QList<int>> partIndices_;
    Routing routing_ = Routing::None;
    int reports_ = 0;
    int stored_ = 0;
};

}  // namespace tesk::delivery
