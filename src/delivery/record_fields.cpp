#include "delivery/record_fields.h"

namespace tesk::delivery {
namespace {

QString escaped(QString field) {
    field.replace(QLatin1Char('%'), QLatin1String("%25"));
    field.replace(QLatin1Char('\t'), QLatin1String("%09"));
    field.replace(QLatin1Char('\r'), QLatin1String("%0D"));
    field.replace(QLatin1Char('\n'), QLatin1String("%0A"));
    return field;
}

QString unescaped(const QString& field) {
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('%') && i + 2 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 2).toInt(&ok, 16);
            if (ok && (code == '%' || code == '\t' || code == '\r' || code == '\n')) {
                text.append(QChar(code));
                i += 2;
                continue;
            }
        }
        text.append(field[i]);
    }
    return text;
}

}  // namespace

QByteArray Join_Record(const QStringList& fields) {
    QStringList parts;
    parts.reserve(fields.size());
    for (const QString& field : fields) {
        parts.append(escaped(field));
    }
    return parts.join(QLatin1Char('\t')).toUtf8() + '\n';
}

QStringList Split_Record(const QByteArray& line) {
    QByteArray bytes = line;
    if (bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    if (bytes.isEmpty()) {
        return {};
    }
    QStringList fields;
    for (const QString& field : QString::fromUtf8(bytes).split(QLatin1Char('\t'))) {
        fields.append(unescaped(field));
    }
    return fields;
}

}  // namespace tesk::delivery
