#include "delivery/device_events.h"

#include "core/log.h"
#include "modem/mfcsms.h"
#include "pdu/sms_inbound.h"

#include <QRegularExpression>

namespace tesk::delivery {
namespace {

// "+CMTI: \"SM\",3" -> memory "SM", index 3; false for anything else.
bool announcement(const QString& line, QString* memory, int* index) {
    static const QRegularExpression pattern(
        QString::fromLatin1(R"re(^\+C(?:MTI|DSI):\s*"?([A-Za-z]*)"?\s*,\s*(\d+)\s*$)re"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        return false;
    }
    *memory = match.captured(1).toUpper();
    *index = match.captured(2).toInt();
    return true;
}

// A stored entry's header names whether the device received it ("REC UNREAD", "REC READ", or
// 0 / 1 in PDU mode) or keeps it to send (2, 3, "STO ..."), which is not ours to delete.
bool received(const QString& statusField) {
    const QString status = statusField.trimmed().remove(QLatin1Char('"')).toUpper();
    return status == QLatin1String("0") || status == QLatin1String("1") ||
           status.startsWith(QLatin1String("REC"));
}

QStringList headerFields(const QString& header) {
    const qsizetype colon = header.indexOf(QLatin1Char(':'));
    return header.mid(colon + 1).split(QLatin1Char(','));
}

Report reportFrom(const pdu::StatusReport& decoded) {
    Report report;
    report.reference = decoded.reference;
    report.recipient = decoded.recipient;
    report.status = decoded.status;
    report.dischargeTime = decoded.dischargeTime;
    return report;
}

QString partKey(const pdu::IncomingMessage& part) {
    return QStringLiteral("%1|%2|%3")
        .arg(part.sender)
        .arg(part.concatReference)
        .arg(part.partCount);
}

}  // namespace

DeviceEvents::DeviceEvents(MFCSMS* channel, int fileDescriptor, QString device, bool textMode,
                           Sinks sinks)
    : channel_(channel),
      fd_(fileDescriptor),
      device_(std::move(device)),
      textMode_(textMode),
      sinks_(std::move(sinks)),
      assembler_(std::make_unique<pdu::PartAssembler>()) {}

DeviceEvents::~DeviceEvents() = default;

bool DeviceEvents::command(const QString& text) {
    const QByteArray line = text.toLatin1() + "\r\n";
    return channel_->Write_Command(fd_, line.constData()) && channel_->Read_Command(fd_, "OK");
}

DeviceEvents::Routing DeviceEvents::Enable() {
    // New messages stay stored until the program has kept them (mt 1); reports come at once
    // where the device can (ds 1), else stored and announced (ds 2).
    if (command(QStringLiteral("AT+CNMI=2,1,0,1,0"))) {
        routing_ = Routing::Direct;
    } else if (command(QStringLiteral("AT+CNMI=2,1,0,2,0"))) {
        routing_ = Routing::Stored;
    } else if (command(QStringLiteral("AT+CNMI=2,1,0,0,0"))) {
        routing_ = Routing::MessagesOnly;
    } else {
        routing_ = Routing::None;
    }
    return routing_;
}

void DeviceEvents::Leave() {
    Handle(channel_->Take_Unsolicited());
    if (routing_ == Routing::Direct && !command(QStringLiteral("AT+CNMI=2,1,0,2,0"))) {
        log::writef("%s cannot store reports: those that come before the next run are lost\n",
                    device_.toUtf8().constData());
    }
}

int DeviceEvents::Read_Stored() {
    const int before = reports_ + stored_;
    readList();
    // Some devices keep reports in a memory of their own.
    if (command(QStringLiteral("AT+CPMS=\"SR\""))) {
        readList();
        command(QStringLiteral("AT+CPMS=\"SM\""));
    }
    Handle(channel_->Take_Unsolicited());
    return reports_ + stored_ - before;
}

void DeviceEvents::readList() {
    if (!command(textMode_ ? QStringLiteral("AT+CMGL=\"ALL\"") : QStringLiteral("AT+CMGL=4"))) {
        return;
    }
    // Each entry is its header and the lines up to the next header. The whole list is read
    // before the first entry is handled: reading and deleting are commands of their own.
    struct Entry {
        int index;
        QString header;
        QStringList body;
    };
    QList<Entry> entries;
    for (const QString& line : channel_->Last_Reply().lines) {
        if (line.startsWith(QLatin1String("+CMGL:"))) {
            entries.append({headerFields(line).value(0).trimmed().toInt(), line, {}});
        } else if (!entries.isEmpty()) {
            entries.last().body.append(line);
        }
    }
    for (const Entry& entry : entries) {
        handleStoredEntry(entry.index, entry.header, entry.body.join(QLatin1Char('\n')));
    }
}

void DeviceEvents::Handle(const QStringList& unsolicited) {
    for (const QString& entry : unsolicited) {
        const qsizetype split = entry.indexOf(QLatin1String("\r\n"));
        const QString header = split < 0 ? entry : entry.left(split);
        const QString body = split < 0 ? QString() : entry.mid(split + 2);
        QString memory;
        int index = 0;
        if (header.startsWith(QLatin1String("+CDS:"))) {
            if (body.isEmpty()) {
                handleReportText(header);
            } else {
                handleReportPdu(body);
            }
        } else if (announcement(header, &memory, &index)) {
            readIndex(memory, index);
        } else if (header.startsWith(QLatin1String("+CMT:"))) {
            const auto part = textMode_ ? pdu::Parse_Text_Deliver(header, body)
                                        : pdu::Decode_Deliver(body.trimmed());
            if (part) {
                deliver(*part, {});
            } else {
                log::writef("Unreadable message from %s: \"%s\"\n", device_.toUtf8().constData(),
                            entry.toUtf8().constData());
            }
        }
    }
}

void DeviceEvents::Listen(double seconds) {
    Handle(channel_->Wait_For_Unsolicited(fd_, seconds));
}

void DeviceEvents::handleReportPdu(const QString& hex) {
    if (const auto decoded = pdu::Decode_Status_Report(hex.trimmed())) {
        applyReport(*decoded);
    } else {
        log::writef("Unreadable report from %s: \"%s\"\n", device_.toUtf8().constData(),
                    hex.toUtf8().constData());
    }
}

void DeviceEvents::handleReportText(const QString& line) {
    if (const auto decoded = pdu::Parse_Text_Status_Report(line)) {
        applyReport(*decoded);
    }
}

void DeviceEvents::applyReport(const pdu::StatusReport& decoded) {
    ++reports_;
    const auto id =
        sinks_.book ? sinks_.book->Apply_Report(device_, reportFrom(decoded)) : std::nullopt;
    if (id && sinks_.reportMatched) {
        sinks_.reportMatched(*id);
    }
}

bool DeviceEvents::handleStoredEntry(int index, const QString& header, const QString& body) {
    const QStringList fields = headerFields(header);
    // "+CMGL: <index>,<stat>,..." and "+CMGR: <stat>,...".
    const bool listed = header.startsWith(QLatin1String("+CMGL:"));
    if (!received(fields.value(listed ? 1 : 0))) {
        return false;
    }
    if (textMode_) {
        // A stored report in text mode has its fields on the header and no body.
        const QString asReport =
            QStringLiteral("+CDS: ") + fields.mid(listed ? 2 : 1).join(QLatin1Char(','));
        if (body.isEmpty()) {
            if (const auto decoded = pdu::Parse_Text_Status_Report(asReport)) {
                applyReport(*decoded);
                deleteIndices({index});
                return true;
            }
            return false;
        }
        const QString asDeliver =
            QStringLiteral("+CMT: ") + fields.mid(listed ? 2 : 1).join(QLatin1Char(','));
        if (const auto part = pdu::Parse_Text_Deliver(asDeliver, body)) {
            deliver(*part, {index});
            return true;
        }
        return false;
    }
    const QString hex = body.trimmed();
    if (const auto part = pdu::Decode_Deliver(hex)) {
        deliver(*part, {index});
        return true;
    }
    if (const auto decoded = pdu::Decode_Status_Report(hex)) {
        applyReport(*decoded);
        // The report is written down in the book: the device's copy can go.
        deleteIndices({index});
        return true;
    }
    log::writef("Unreadable entry %d on %s: \"%s\"\n", index, device_.toUtf8().constData(),
                hex.toUtf8().constData());
    return false;
}

void DeviceEvents::readIndex(const QString& memory, int index) {
    // Reports may sit in a memory of their own; reading goes there and back.
    const bool elsewhere = !memory.isEmpty() && memory != QLatin1String("SM") &&
                           memory != QLatin1String("ME") && memory != QLatin1String("MT");
    if (elsewhere && !command(QStringLiteral("AT+CPMS=\"%1\"").arg(memory))) {
        return;
    }
    if (command(QStringLiteral("AT+CMGR=%1").arg(index))) {
        const QStringList lines = channel_->Last_Reply().lines;
        QStringList body;
        QString header;
        for (const QString& line : lines) {
            if (header.isEmpty() && line.startsWith(QLatin1String("+CMGR:"))) {
                header = line;
            } else if (!header.isEmpty()) {
                body.append(line);
            }
        }
        if (!header.isEmpty()) {
            handleStoredEntry(index, header, body.join(QLatin1Char('\n')));
        }
    }
    if (elsewhere) {
        command(QStringLiteral("AT+CPMS=\"SM\""));
    }
}

void DeviceEvents::deliver(const pdu::IncomingMessage& part, QList<int> indices) {
    const bool concatenated = part.partCount > 1 && part.concatReference >= 0;
    if (concatenated) {
        QList<int>& known = partIndices_[partKey(part)];
        for (const int index : indices) {
            if (!known.contains(index)) {
                known.append(index);  // a part listed again is still one entry on the device
            }
        }
    }
    const std::optional<pdu::IncomingMessage> whole = assembler_->add(part);
    if (!whole) {
        return;  // the other parts are still to come; this one stays on the device meanwhile
    }
    if (concatenated) {
        indices = partIndices_.take(partKey(part));
    }
    InboxMessage message;
    message.receivedAt = QDateTime::currentDateTimeUtc();
    message.device = device_;
    message.sender = whole->sender;
    message.sentAt = whole->centreTime;
    message.text = whole->text;
    if (Is_Stop_Word(message.text, Stop_Words())) {
        // The number may stand in the program's lists in another form than the network gives
        // it ("07911..." against "+447911..."): the forms it was sent to are excluded as well.
        QStringList numbers{message.sender};
        if (sinks_.book) {
            for (const MessageDelivery& sent : sinks_.book->messages()) {
                if (!numbers.contains(sent.recipient) &&
                    Same_Recipient(sent.recipient, message.sender)) {
                    numbers.append(sent.recipient);
                }
            }
        }
        message.optOut = Add_Opt_Outs(numbers);
    }
    if (!sinks_.inbox || !sinks_.inbox->Store(message)) {
        log::writef("Message from %s kept on %s: it could not be stored\n",
                    message.sender.toUtf8().constData(), device_.toUtf8().constData());
        return;
    }
    ++stored_;
    if (sinks_.messageStored) {
        sinks_.messageStored(message);
    }
    deleteIndices(indices);
}

void DeviceEvents::deleteIndices(const QList<int>& indices) {
    for (const int index : indices) {
        command(QStringLiteral("AT+CMGD=%1").arg(index));
    }
}

}  // namespace tesk::delivery
