#pragma once
// What a modem hands the program after it sent something: status reports (SMS-STATUS-REPORT,
// 3GPP TS 23.040 9.2.2.3) and incoming messages (SMS-DELIVER, 9.2.2.1), in PDU mode as the hex
// line after +CDS: / +CMT: / +CMGR: / +CMGL:, and in text mode as the lines of 3GPP TS 27.005 3.4.
//
// Every function here reads bytes that come from outside: any input gives either a result or
// nullopt, never a read past the end. Pure functions, safe from every thread; a PartAssembler
// belongs to one reader.
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>

#include <optional>

namespace pdu {

enum class DeliveryState { Delivered, Pending, Failed };

struct StatusReport {
    int reference = 0;        // TP-MR, 0..255: the number the modem answered in +CMGS
    QString recipient;        // TP-RA: "+" then digits for international, digits otherwise
    QDateTime centreTime;     // TP-SCTS, with its time zone as offset; invalid when unreadable
    QDateTime dischargeTime;  // TP-DT, the same
    int status = 0;           // TP-ST as sent
    DeliveryState state = DeliveryState::Pending;
};

// TP-ST to state: 0x00-0x1F delivered, 0x20-0x3F the centre still tries, anything else failed.
DeliveryState State_Of_Status(int status);

// The hex PDU of a report. withSmsc: the line starts with the service-centre field, which is
// what modems print. nullopt unless the octets are a complete SMS-STATUS-REPORT (wrong message
// type, lengths running past the end, characters that are not hex).
std::optional<StatusReport> Decode_Status_Report(const QString& hex, bool withSmsc = true);

// Text mode: "+CDS: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>", the same fields after
// "+CMGR: <stat>," (a stored report) or after "+CMGL: <index>,<stat>,".
std::optional<StatusReport> Parse_Text_Status_Report(const QString& line);

// Short English words for TP-ST (TS 23.040 9.2.3.15): "delivered", "SC still trying: no
// response from SME", "incompatible destination", ...
QString Status_Text(int status);

struct IncomingMessage {
    QString sender;        // TP-OA: "+..." international, digits otherwise, or the sender's name
    QDateTime centreTime;  // TP-SCTS; invalid when unreadable
    QString text;
    int concatReference = -1;  // from the concatenation header element; -1 when single
    int partCount = 1;
    int partNumber = 1;
};

// The hex PDU of an incoming message (after +CMT: / +CMGR: / +CMGL: in PDU mode). Text in the
// GSM 7-bit alphabet (with its extension table), 8-bit data as Latin-1, or UCS2; nullopt for
// anything that is not a complete SMS-DELIVER, and for compressed text.
std::optional<IncomingMessage> Decode_Deliver(const QString& hex, bool withSmsc = true);

// Text mode: the header "+CMT: "<oa>",[<alpha>],"<scts>"[,<tooa>,...]" or
// "+CMGR: <stat>,"<oa>",[<alpha>],"<scts>"..." (or "+CMGL: <index>,<stat>,"<oa>",...") and the
// line that follows it, taken as the text.
std::optional<IncomingMessage> Parse_Text_Deliver(const QString& header, const QString& body);

// Puts concatenated parts back together by (sender, reference, part count), whatever order they
// arrive in. A part seen twice counts once.
class PartAssembler {
  public:
    // The whole message once its last missing part arrives (sender, centre time and reference
    // of the parts, partNumber 1); a single message comes back at once; nullopt while parts
    // are missing.
    std::optional<IncomingMessage> add(const IncomingMessage& part);
    // Messages of which some parts have come and some are missing.
    int incomplete() const { return static_cast<int>(pending_.size()); }

  private:
    struct Key {
        QString sender;
        int reference;
        int count;
        bool operator==(const Key& other) const {
            return sender == other.sender && reference == other.reference && count == other.count;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, key.sender, key.reference, key.count);
    }
    QHash<Key, QMap<int, IncomingMessage>> pending_;
};

}  // namespace pdu

// The same names inside the project's namespace, where `pdu::` would otherwise find
// tesk::pdu first.
namespace tesk::pdu {
using ::pdu::Decode_Deliver;
using ::pdu::Decode_Status_Report;
using ::pdu::DeliveryState;
using ::pdu::IncomingMessage;
using ::pdu::Parse_Text_Deliver;
using ::pdu::Parse_Text_Status_Report;
using ::pdu::PartAssembler;
using ::pdu::State_Of_Status;
using ::pdu::Status_Text;
using ::pdu::StatusReport;
}  // namespace tesk::pdu
