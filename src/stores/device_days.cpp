#include "stores/device_days.h"

#include "appstate/data_paths.h"
#include "stores/store_file.h"

#include <QFile>
#include <QStringList>

namespace tesk::stores {
namespace {

QString dayText(const QDate& day) {
    return day.toString(Qt::ISODate);
}

QList<QByteArray> fileLines() {
    QFile file(Device_Days_File());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().split('\n');
}

}  // namespace

QString Device_Days_File() {
    return Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("DeviceDays.VORN"));
}

int Device_Sent_On(const QString& device, const QDate& day) {
    const QByteArray wanted = (dayText(day) + QLatin1Char('\t') + device).toUtf8();
    int count = 0;
    for (const QByteArray& line : fileLines()) {
        count += line == wanted ? 1 : 0;
    }
    return count;
}

bool Add_Device_Sent(const QString& device, const QDate& day) {
    // A tab or line end inside a device name would split its line; names are paths and IMEIs.
    QString name = device;
    name.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    Check_Path_And_Create_Files();
    return Append_Store_Record(
        Device_Days_File(), (dayText(day) + QLatin1Char('\t') + name + QLatin1Char('\n')).toUtf8());
}

bool Prune_Device_Days(const QDate& day) {
    const QByteArray prefix = (dayText(day) + QLatin1Char('\t')).toUtf8();
    QByteArray kept;
    bool dropped = false;
    for (const QByteArray& line : fileLines()) {
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith(prefix)) {
            kept += line + '\n';
        } else {
            dropped = true;
        }
    }
    return !dropped || Rewrite_Store_File(Device_Days_File(), kept);
}

}  // namespace tesk::stores
