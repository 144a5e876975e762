// The delivery book and the inbox read their files back on every start and every refresh of the
// window; a damaged or hand-edited file must never crash them or give a message a state its
// reports do not make. The input is the file. Properties:
// - every message read back has one status per reference, references are octets, and its state
//   is what its part statuses make it (delivered only when every part is, failed as soon as one
//   part is);
// - a record's fields come back from their written form unchanged, whatever characters they hold.
#include "delivery/delivery_book.h"
#include "delivery/inbox.h"
#include "delivery/record_fields.h"
#include "fuzz_check.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using tesk::delivery::State;

QString scratchFile(const char* name) {
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

void checkBook(const QByteArray& bytes) {
    const QString path = scratchFile("Deliveries.VORN");
    writeFile(path, bytes);
    const tesk::delivery::DeliveryBook book(path);
    for (const tesk::delivery::MessageDelivery& message : book.messages()) {
        FUZZ_CHECK(message.statuses.size() == message.references.size(), message.id);
        FUZZ_CHECK(!message.references.isEmpty(), message.id);
        bool allDelivered = true;
        bool anyFailed = false;
        for (int i = 0; i < message.references.size(); ++i) {
            FUZZ_CHECK(message.references[i] >= 0 && message.references[i] <= 255, message.id);
            const int status = message.statuses[i];
            allDelivered = allDelivered && status >= 0 &&
                           tesk::delivery::State_Of_Status(status) == State::Delivered;
            anyFailed = anyFailed ||
                        (status >= 0 && tesk::delivery::State_Of_Status(status) == State::Failed);
        }
        FUZZ_CHECK((message.state == State::Delivered) == allDelivered, message.id);
        FUZZ_CHECK((message.state == State::Failed) == anyFailed, message.id);
    }
}

void checkInbox(const QByteArray& bytes) {
    const QString path = scratchFile("Inbox.VORN");
    writeFile(path, bytes);
    const tesk::delivery::Inbox inbox(path);
    for (const tesk::delivery::InboxMessage& message : inbox.Messages()) {
        FUZZ_CHECK(
            !message.text.contains(QLatin1Char('\n')) || bytes.contains(QByteArrayLiteral("%0A")),
            tesk::fuzz::Shown(message.text));
    }
}

void checkFields(const QByteArray& bytes) {
    // The input's text cut into fields at each byte 0x1F: any characters at all, TAB and line
    // ends included.
    const QStringList fields = QString::fromUtf8(bytes).split(QChar(0x1F));
    const QByteArray line = tesk::delivery::Join_Record(fields);
    FUZZ_CHECK(line.endsWith('\n') && line.count('\n') == 1,
               tesk::fuzz::Shown(QString::fromUtf8(line)));
    QByteArray withoutEnd = line;
    withoutEnd.chop(1);
    const QStringList back = tesk::delivery::Split_Record(withoutEnd);
    const bool empty = fields.size() == 1 && fields.first().isEmpty();
    FUZZ_CHECK(empty ? back.isEmpty() : back == fields, tesk::fuzz::Shown(fields.join(u'|')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkBook(bytes);
    checkInbox(bytes);
    checkFields(bytes);
    return 0;
}
