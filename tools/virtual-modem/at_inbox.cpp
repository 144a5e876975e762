// What comes to the modem from the network: status reports of the messages it sent and
// messages sent to it. AT+CNMI decides whether they are shown at once (+CDS, +CMT), stored and
// announced (+CDSI, +CMTI) or stored silently; AT+CMGR, AT+CMGL and AT+CMGD read and delete
// what is stored; AT+CPMS counts it.
#include "virtual-modem/at_session.h"
#include "virtual-modem/network_pdus.h"
#include "virtual-modem/text_payload.h"

#include <algorithm>

namespace tesk::vmodem {
namespace {

constexpr int kCmsOperationNotSupported = 303;
constexpr int kCmsInvalidPduParameter = 304;
constexpr int kCmsInvalidTextParameter = 305;
constexpr int kCmsInvalidIndex = 321;
constexpr int kCmsUnknownMemory = 302;
constexpr int kStatusDelivered = 0x00;

enum Cnmi { Mode, Mt, Bm, Ds, Bfr };
constexpr int kCnmiMax[5] = {3, 3, 3, 2, 1};

const char* const kStatusNames[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};

// Local time to the second, with its zone, as a network stamps it.
QDateTime networkNow() {
    QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    now.setTime(QTime(time.hour(), time.minute(), time.second()));
    return now;
}

}  // namespace

void AtSession::prepareInbox() {
    const QDateTime now = networkNow();
    for (const IncomingSms& sms : config_.simMessages) {
        const int reference = nextIncomingReference_++;
        for (const DeliverPart& part : EncodeDeliver(
                 sms, scaNumber_, sms.centreTime.isValid() ? sms.centreTime : now, reference)) {
            Stored entry;
            entry.pdu = part.pdu;
            entry.tpduOctets = part.tpduOctets;
            entry.sender = part.sender;
            entry.centreTime = part.centreTime;
            entry.text = part.text;
            if (store(entry) == 0) {
                waitingForRoom_.append(entry);
            }
        }
    }
    for (const IncomingSms& sms : config_.incoming) {
        arrive(sms);
    }
}

void AtSession::arrive(const IncomingSms& sms) {
    Event event;
    event.due = Clock::now() + std::chrono::milliseconds(sms.delayMs);
    event.sms = sms;
    events_.append(event);
}

void AtSession::scheduleReport(const QString& number, int reference) {
    ReportPlan plan;
    const auto found =
        std::find_if(config_.reports.begin(), config_.reports.end(),
                     [&](const ReportPlan& p) { return p.number.isEmpty() || p.number == number; });
    if (found != config_.reports.end()) {
        plan = *found;
    }
    if (plan.outcome == ReportPlan::None) {
        return;
    }
    Event event;
    event.report = true;
    event.due = Clock::now() + std::chrono::milliseconds(plan.delayMs);
    event.recipient = number;
    event.reference = reference;
    event.submitted = networkNow();
    event.status = plan.outcome == ReportPlan::Failed      ? plan.failedStatus
                   : plan.outcome == ReportPlan::Delivered ? kStatusDelivered
                                                           : plan.temporaryStatus;
    if (plan.outcome == ReportPlan::TemporaryThenDelivered) {
        event.followStatus = kStatusDelivered;
        event.followDelayMs = plan.delayMs;
    }
    events_.append(event);
}

void AtSession::tick() {
    if (input_ != Input::Command || silent_ || hungUp_) {
        return;
    }
    // What waited for room goes in as soon as there is some (the network tries again).
    while (!waitingForRoom_.isEmpty() && usedSlots() < config_.storageSlots) {
        const Stored entry = waitingForRoom_.takeFirst();
        const int index = store(entry);
        if (cnmi_[Mt] == 1 || cnmi_[Mt] == 3 || (entry.report && cnmi_[Ds] == 2)) {
            indicate(QByteArray(entry.report ? "+CDSI: \"SR\"," : "+CMTI: \"SM\",") +
                     QByteArray::number(index));
        }
    }
    const Clock::time_point now = Clock::now();
    for (qsizetype i = 0; i < events_.size();) {
        if (events_[i].due > now) {
            ++i;
            continue;
        }
        const Event event = events_.takeAt(i);
        fire(event);
        if (event.followStatus >= 0) {
            Event follow = event;
            follow.status = event.followStatus;
            follow.followStatus = -1;
            follow.due = now + std::chrono::milliseconds(event.followDelayMs);
            events_.append(follow);
        }
    }
}

void AtSession::indicate(const QByteArray& lines) {
    output(OutputKind::Unsolicited, "\r\n" + lines + "\r\n");
}

void AtSession::fire(const Event& event) {
    const bool text = cmgf_ == 1;
    if (event.report) {
        if (cnmi_[Ds] == 0) {
            return;  // not asked for: the modem drops it
        }
        const StatusReportPdu report =
            EncodeStatusReport(scaNumber_, event.reference, event.recipient, event.submitted,
                               networkNow(), event.status);
        host_.reportIssued();
        if (cnmi_[Ds] == 1) {
            indicate(text ? "+CDS: " + report.textFields.toUtf8()
                          : "+CDS: " + QByteArray::number(report.tpduOctets) + "\r\n" +
                                report.pdu.toLatin1());
            return;
        }
        Stored entry;
        entry.report = true;
        entry.pdu = report.pdu;
        entry.tpduOctets = report.tpduOctets;
        entry.reportFields = report.textFields;
        const int index = store(entry);
        if (index == 0) {
            waitingForRoom_.append(entry);
        } else {
            indicate("+CDSI: \"SR\"," + QByteArray::number(index));
        }
        return;
    }
    const IncomingSms& sms = event.sms;
    const int reference = sms.reference >= 0 ? sms.reference : nextIncomingReference_++;
    const QDateTime when = sms.centreTime.isValid() ? sms.centreTime : networkNow();
    for (const DeliverPart& part : EncodeDeliver(sms, scaNumber_, when, reference & 0xFFFF)) {
        if (cnmi_[Mt] == 2) {
            const QString body =
                charset_ == QLatin1String("UCS2") ? ToUcs2Hex(part.text) : part.text;
            indicate(text ? "+CMT: \"" + part.sender.toUtf8() + "\",,\"" +
                                TextModeTime(part.centreTime).toLatin1() + "\"\r\n" + body.toUtf8()
                          : "+CMT: ," + QByteArray::number(part.tpduOctets) + "\r\n" +
                                part.pdu.toLatin1());
            continue;
        }
        Stored entry;
        entry.pdu = part.pdu;
        entry.tpduOctets = part.tpduOctets;
        entry.sender = part.sender;
        entry.centreTime = part.centreTime;
        entry.text = part.text;
        const int index = store(entry);
        if (index == 0) {
            waitingForRoom_.append(entry);
        } else if (cnmi_[Mt] == 1 || cnmi_[Mt] == 3) {
            indicate("+CMTI: \"SM\"," + QByteArray::number(index));
        }
    }
}

int AtSession::store(const Stored& entry) {
    for (int index = 1; index <= config_.storageSlots; ++index) {
        if (!storage_.contains(index)) {
            storage_.insert(index, entry);
            return index;
        }
    }
    return 0;
}

AtSession::Reply AtSession::inbox(const Extended& cmd) {
    const QByteArray& n = cmd.name;
    if (n == "+CNMI") {
        return indications(cmd);
    }
    if (n == "+CPMS") {
        return storageQuery(cmd);
    }
    if (n == "+CMGR") {
        return readStored(cmd);
    }
    if (n == "+CMGL") {
        return listStored(cmd);
    }
    return deleteStored(cmd);
}

AtSession::Reply AtSession::indications(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Query) {
        QByteArray line = "+CNMI: ";
        for (int i = 0; i < 5; ++i) {
            line += (i ? "," : "") + QByteArray::number(cnmi_[i]);
        }
        reply.lines = {line};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)"};
    } else if (cmd.form == Extended::Set) {
        int values[5];
        std::copy(std::begin(cnmi_), std::end(cnmi_), values);
        if (cmd.args.size() > 5) {
            return error(Final::Cms, kCmsOperationNotSupported);
        }
        for (qsizetype i = 0; i < cmd.args.size(); ++i) {
            if (cmd.args[i].value.isEmpty()) {
                continue;
            }
            if (!toInt(cmd.args[i].value, &values[i]) || values[i] < 0 || values[i] > kCnmiMax[i]) {
                return error(Final::Cms, kCmsOperationNotSupported);
            }
        }
        std::copy(values, values + 5, cnmi_);
    } else {
        return error();
    }
    return reply;
}

AtSession::Reply AtSession::storageQuery(const Extended& cmd) {
    // One storage serves under every name a client may choose for reading, writing and
    // receiving, status reports ("SR") included.
    static const QList<QByteArray> kNames = {"SM", "ME", "MT", "SR"};
    const QByteArray used = QByteArray::number(usedSlots());
    const QByteArray total = QByteArray::number(config_.storageSlots);
    Reply reply;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CPMS: \"SM\"," + used + "," + total + ",\"SM\"," + used + "," + total +
                       ",\"SM\"," + used + "," + total};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {
            "+CPMS: (\"SM\",\"ME\",\"MT\",\"SR\"),(\"SM\",\"ME\",\"MT\"),"
            "(\"SM\",\"ME\",\"MT\")"};
    } else if (cmd.form == Extended::Set) {
        for (const Arg& arg : cmd.args) {
            if (!kNames.contains(arg.value.toUpper())) {
                return error(Final::Cms, kCmsUnknownMemory);
            }
        }
        QByteArray line = "+CPMS: ";
        for (int i = 0; i < 3; ++i) {
            line += (i ? "," : "") + used + "," + total;
        }
        reply.lines = {line};
    } else {
        return error();
    }
    return reply;
}

// One entry as a modem prints it: the header, then the PDU or text on a line of its own.
QByteArray AtSession::entryLines(int index, const Stored& entry, bool list) const {
    const QByteArray prefix =
        list ? "+CMGL: " + QByteArray::number(index) + "," : QByteArray("+CMGR: ");
    const int stat = entry.read ? 1 : 0;
    if (cmgf_ == 0) {
        return prefix + QByteArray::number(stat) + ",," + QByteArray::number(entry.tpduOctets) +
               "\r\n" + entry.pdu.toLatin1();
    }
    const QByteArray status = QByteArray("\"") + kStatusNames[stat] + "\",";
    if (entry.report) {
        return prefix + status + entry.reportFields.toUtf8();
    }
    const QString body = charset_ == QLatin1String("UCS2") ? ToUcs2Hex(entry.text) : entry.text;
    return prefix + status + "\"" + entry.sender.toUtf8() + "\",,\"" +
           TextModeTime(entry.centreTime).toLatin1() + "\"\r\n" + body.toUtf8();
}

AtSession::Reply AtSession::readStored(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Test) {
        return reply;
    }
    int index = 0;
    if (cmd.form != Extended::Set || cmd.args.size() != 1 || !toInt(cmd.args[0].value, &index)) {
        return error(Final::Cms, cmgf_ == 0 ? kCmsInvalidPduParameter : kCmsInvalidTextParameter);
    }
    const auto entry = storage_.find(index);
    if (entry == storage_.end()) {
        return error(Final::Cms, kCmsInvalidIndex);
    }
    reply.lines = {entryLines(index, *entry, false)};
    entry->read = true;
    return reply;
}

AtSession::Reply AtSession::listStored(const Extended& cmd) {
    Reply reply;
    const bool text = cmgf_ == 1;
    if (cmd.form == Extended::Test) {
        reply.lines = {text ? "+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO "
                              "SENT\",\"ALL\")"
                            : "+CMGL: (0-4)"};
        return reply;
    }
    // Without a status the list holds the unread ones, as the standard's default says.
    int stat = 0;
    if (cmd.form == Extended::Set) {
        const Arg& arg = cmd.args.value(0);
        stat = -1;
        for (int i = 0; text && arg.quoted && i < 5; ++i) {
            if (arg.value.toUpper() == kStatusNames[i]) {
                stat = i;
            }
        }
        if (!text && !arg.quoted && (!toInt(arg.value, &stat) || stat > 4)) {
            stat = -1;
        }
        if (stat < 0 || cmd.args.size() > 1) {
            return error(Final::Cms, text ? kCmsInvalidTextParameter : kCmsInvalidPduParameter);
        }
    } else if (cmd.form != Extended::Action) {
        return error();
    }
    QList<QByteArray> entries;
    for (auto entry = storage_.begin(); entry != storage_.end(); ++entry) {
        const bool wanted = stat == 4 || (stat == 0 && !entry->read) || (stat == 1 && entry->read);
        if (wanted) {
            entries.append(entryLines(entry.key(), *entry, true));
            entry->read = true;
        }
    }
    if (!entries.isEmpty()) {  // one block, as a modem lists them: no blank line in between
        reply.lines = {entries.join("\r\n")};
    }
    return reply;
}

AtSession::Reply AtSession::deleteStored(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Test) {
        QByteArray indices;
        for (const int index : storage_.keys()) {
            indices += (indices.isEmpty() ? "" : ",") + QByteArray::number(index);
        }
        reply.lines = {"+CMGD: (" + indices + "),(0-4)"};
        return reply;
    }
    int index = 0;
    int flag = 0;
    if (cmd.form != Extended::Set || cmd.args.size() > 2 || !toInt(cmd.args[0].value, &index) ||
        (cmd.args.size() == 2 && (!toInt(cmd.args[1].value, &flag) || flag < 0 || flag > 4))) {
        return error(Final::Cms, cmgf_ == 0 ? kCmsInvalidPduParameter : kCmsInvalidTextParameter);
    }
    if (flag == 0) {
        if (index < 1 || index > config_.storageSlots) {
            return error(Final::Cms, kCmsInvalidIndex);
        }
        storage_.remove(index);  // an empty slot is deleted as well
        return reply;
    }
    // 1: every read message; 2 and 3 add sent and unsent ones, which this storage never holds;
    // 4: everything.
    storage_.removeIf([flag](const auto& entry) { return flag == 4 || entry.value().read; });
    return reply;
}

}  // namespace tesk::vmodem
