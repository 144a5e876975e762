#include "virtual-modem/sms_log.h"

#include <QFile>
#include <QJsonDocument>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tesk::vmodem {

QJsonObject SmsToJson(const ReceivedSms& sms) {
    QJsonObject concat;
    if (sms.concatRef >= 0) {
        concat = {{QStringLiteral("ref"), sms.concatRef},
                  {QStringLiteral("part"), sms.concatPart},
                  {QStringLiteral("total"), sms.concatTotal}};
    }
    return {
        {QStringLiteral("time"), sms.time},
        {QStringLiteral("port"), sms.port},
        {QStringLiteral("mode"), sms.mode},
        {QStringLiteral("number"), sms.number},
        {QStringLiteral("text"), sms.text},
        {QStringLiteral("coding"), sms.coding},
        {QStringLiteral("class"),
         sms.messageClass >= 0 ? QJsonValue(sms.messageClass) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("concat"),
         sms.concatRef >= 0 ? QJsonValue(concat) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("raw"), sms.raw},
        {QStringLiteral("reference"), sms.reference},
    };
}

QJsonObject RefusalToJson(const Refusal& refusal) {
    return {
        {QStringLiteral("time"), refusal.time},     {QStringLiteral("port"), refusal.port},
        {QStringLiteral("refused"), true},          {QStringLiteral("stage"), refusal.stage},
        {QStringLiteral("answer"), refusal.answer}, {QStringLiteral("number"), refusal.number},
    };
}

bool AppendJsonLine(const QString& path, const QJsonObject& object, QString* error) {
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ssize_t written = 0;
    do {
        written = ::write(fd, line.constData(), size_t(line.size()));
    } while (written < 0 && errno == EINTR);
    const int writeErrno = errno;
    ::close(fd);
    if (written != line.size()) {
        *error = written < 0 ? QString::fromLocal8Bit(std::strerror(writeErrno))
                             : QStringLiteral("short write");
        return false;
    }
    return true;
}

}  // namespace tesk::vmodem
