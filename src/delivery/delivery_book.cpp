#include "delivery/delivery_book.h"

#include "appstate/data_paths.h"
#include "delivery/record_fields.h"
#include "delivery/shared_store.h"
#include "pdu/sms_inbound.h"
#include "stores/store_file.h"

#include <QFile>
#include <QUuid>

#include <algorithm>

namespace tesk::delivery {
namespace {

constexpr int kExcerptChars = 60;
// A report cannot arrive before its message was sent; the clocks of two runs of the program
// may still disagree a little.
constexpr qint64 kClockSlackSeconds = 120;

QString digitsOf(const QString& number) {
    QString digits;
    for (const QChar c : number) {
        if (c.isDigit()) {
            digits.append(c);
        }
    }
    return digits;
}

QString referencesText(const QList<int>& references) {
    QStringList parts;
    for (const int reference : references) {
        parts.append(QString::number(reference));
    }
    return parts.join(QLatin1Char(','));
}

QList<int> referencesFrom(const QString& text) {
    QList<int> references;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int reference = part.toInt(&ok);
        if (!ok || reference < 0 || reference > 255) {
            return {};
        }
        references.append(reference);
    }
    return references;
}

void settle(MessageDelivery* message) {
    bool anyPending = false;
    bool allDelivered = true;
    int failedStatus = -1;
    int pendingStatus = -1;
    for (const int status : message->statuses) {
        if (status < 0) {
            allDelivered = false;
            continue;
        }
        switch (State_Of_Status(status)) {
            case State::Delivered:
                break;
            case State::Failed:
                failedStatus = status;
                allDelivered = false;
                break;
            default:
                anyPending = true;
                pendingStatus = status;
                allDelivered = false;
        }
    }
    const int reported =
        static_cast<int>(std::count_if(message->statuses.begin(), message->statuses.end(),
                                       [](int status) { return status >= 0; }));
    message->detail.clear();
    if (failedStatus >= 0) {
        message->state = State::Failed;
        message->detail = pdu::Status_Text(failedStatus);
    } else if (allDelivered && !message->statuses.isEmpty()) {
        message->state = State::Delivered;
    } else if (anyPending) {
        message->state = State::Pending;
        message->detail = pdu::Status_Text(pendingStatus);
    } else if (reported > 0) {
        // A long message is delivered only once all its parts are.
        message->state = State::Pending;
        message->detail =
            QStringLiteral("%1 of %2 parts delivered").arg(reported).arg(message->statuses.size());
    } else {
        message->state = State::NoReport;
    }
}

}  // namespace

State State_Of_Status(int status) {
    switch (pdu::State_Of_Status(status)) {
        case pdu::DeliveryState::Delivered:
            return State::Delivered;
        case pdu::DeliveryState::Pending:
            return State::Pending;
        case pdu::DeliveryState::Failed:
            break;
    }
    return State::Failed;
}

QString State_Text(const MessageDelivery& message) {
    switch (message.state) {
        case State::Delivered:
            return QStringLiteral("Delivered");
        case State::Pending:
            return message.detail.isEmpty() ? QStringLiteral("Pending")
                                            : QStringLiteral("Pending: ") + message.detail;
        case State::Failed:
            return QStringLiteral("Failed: ") + message.detail;
        case State::NoReport:
            break;
    }
    return QStringLiteral("No report yet");
}

bool Same_Recipient(const QString& first, const QString& second) {
    const QString a = digitsOf(first);
    const QString b = digitsOf(second);
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    if (a == b) {
        return true;
    }
    // "07911 123456" and "+44 7911 123456": the subscriber's digits agree, the prefixes do not.
    constexpr int kSubscriberDigits = 9;
    return a.size() >= kSubscriberDigits && b.size() >= kSubscriberDigits &&
           a.right(kSubscriberDigits) == b.right(kSubscriberDigits);
}

DeliveryBook::DeliveryBook(QString path) : path_(std::move(path)) {
    QFile file(path_);
    if (file.open(QIODevice::ReadOnly)) {
        replay(file.readAll());
    }
}

QString DeliveryBook::Default_File() {
    return Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("Deliveries.VORN"));
}

std::shared_ptr<DeliveryBook> DeliveryBook::Shared() {
    return Shared_For_File<DeliveryBook>(Default_File());
}

void DeliveryBook::replay(const QByteArray& bytes) {
    for (const QByteArray& raw : bytes.split('\n')) {
        const QStringList fields = Split_Record(raw);
        if (fields.size() == 7 && fields[0] == QLatin1String("S")) {
            const QList<int> references = referencesFrom(fields[5]);
            const QDateTime sentAt = QDateTime::fromString(fields[1], Qt::ISODateWithMs);
            if (references.isEmpty() || !sentAt.isValid()) {
                continue;
            }
            MessageDelivery message;
            message.sentAt = sentAt;
            message.id = fields[2];
            message.device = fields[3];
            message.recipient = fields[4];
            message.references = references;
            message.statuses = QList<int>(references.size(), -1);
            message.excerpt = fields[6];
            messages_.push_back(message);
        } else if (fields.size() == 7 && fields[0] == QLatin1String("R")) {
            Report report;
            const QDateTime receivedAt = QDateTime::fromString(fields[1], Qt::ISODateWithMs);
            bool referenceOk = false;
            bool statusOk = false;
            report.recipient = fields[3];
            report.reference = fields[4].toInt(&referenceOk);
            report.status = fields[5].toInt(&statusOk);
            report.dischargeTime = QDateTime::fromString(fields[6], Qt::ISODate);
            if (!receivedAt.isValid() || !referenceOk || !statusOk) {
                continue;
            }
            if (const auto index = match(fields[2], report, receivedAt)) {
                applyTo(*index, report, receivedAt);
            } else {
                ++unmatched_;
            }
        }
        // Any other line (a later version's record, a damaged one) is passed over, not fatal.
    }
}

QString DeliveryBook::Record_Sent(const QString& device, const QString& recipient,
                                  const QList<int>& references, const QString& text,
                                  const QDateTime& sentAt) {
    if (references.isEmpty()) {
        return {};
    }
    MessageDelivery message;
    message.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    message.sentAt = sentAt.toUTC();
    message.device = device;
    message.recipient = recipient;
    message.references = references;
    message.statuses = QList<int>(references.size(), -1);
    message.excerpt = text.left(kExcerptChars);
    const QByteArray record =
        Join_Record({QStringLiteral("S"), message.sentAt.toString(Qt::ISODateWithMs), message.id,
                     device, recipient, referencesText(references), message.excerpt});
    std::lock_guard lock(mutex_);
    stores::Append_Store_Record(path_, record);
    messages_.push_back(std::move(message));
    return messages_.back().id;
}

std::optional<int> DeliveryBook::match(const QString& device, const Report& report,
                                       const QDateTime& receivedAt) const {
    std::optional<int> settled;
    for (int i = static_cast<int>(messages_.size()) - 1; i >= 0; --i) {
        const MessageDelivery& message = messages_[static_cast<size_t>(i)];
        if (message.device != device || message.sentAt.secsTo(receivedAt) < -kClockSlackSeconds ||
            !Same_Recipient(message.recipient, report.recipient)) {
            continue;
        }
        for (int part = 0; part < message.references.size(); ++part) {
            if (message.references[part] != report.reference) {
                continue;
            }
            const int status = message.statuses[part];
            if (status < 0 || State_Of_Status(status) == State::Pending) {
                return i;
            }
            if (!settled) {
                settled = i;  // a repeated report of a settled part
            }
        }
    }
    return settled;
}

void DeliveryBook::applyTo(int index, const Report& report, const QDateTime& receivedAt) {
    MessageDelivery& message = messages_[static_cast<size_t>(index)];
    for (int part = 0; part < message.references.size(); ++part) {
        const int status = message.statuses[part];
        if (message.references[part] == report.reference &&
            (status < 0 || State_Of_Status(status) == State::Pending)) {
            message.statuses[part] = report.status;
            break;
        }
    }
    message.lastReportAt = receivedAt;
    settle(&message);
}

std::optional<QString> DeliveryBook::Apply_Report(const QString& device, const Report& report,
                                                  const QDateTime& receivedAt) {
    const QByteArray record =
        Join_Record({QStringLiteral("R"), receivedAt.toUTC().toString(Qt::ISODateWithMs), device,
                     report.recipient, QString::number(report.reference),
                     QString::number(report.status), report.dischargeTime.toString(Qt::ISODate)});
    std::optional<QString> id;
    std::vector<Listener> listeners;
    {
        std::lock_guard lock(mutex_);
        stores::Append_Store_Record(path_, record);
        if (const auto index = match(device, report, receivedAt.toUTC())) {
            applyTo(*index, report, receivedAt.toUTC());
            id = messages_[static_cast<size_t>(*index)].id;
            for (const auto& entry : listeners_) {
                listeners.push_back(entry.second);
            }
        } else {
            ++unmatched_;
        }
    }
    if (id) {
        for (const Listener& listener : listeners) {
            listener(*id);
        }
    }
    return id;
}

std::optional<MessageDelivery> DeliveryBook::message(const QString& id) const {
    std::lock_guard lock(mutex_);
    for (const MessageDelivery& message : messages_) {
        if (message.id == id) {
            return message;
        }
    }
    return std::nullopt;
}

QList<MessageDelivery> DeliveryBook::messages() const {
    std::lock_guard lock(mutex_);
    return QList<MessageDelivery>(messages_.rbegin(), messages_.rend());
}

int DeliveryBook::unmatchedReports() const {
    std::lock_guard lock(mutex_);
    return unmatched_;
}

int DeliveryBook::addListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listeners_.emplace_back(nextToken_, std::move(listener));
    return nextToken_++;
}

void DeliveryBook::removeListener(int token) {
    std::lock_guard lock(mutex_);
    std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
}

}  // namespace tesk::delivery
