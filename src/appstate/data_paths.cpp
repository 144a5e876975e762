#include "appstate/data_paths.h"

#include "core/log.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

QString Resource_Path;
QString Tesk_SMS_Data_Folder_Path;
QString Sent_Item_Path;
QString Sent_Item_Path_Android;
QString Templates_Path;
QString Applied_Exclusion_Path;
QString Exclusion_Folder_Path;
QString Exclusion_Index_Path;

namespace tesk {
namespace {

QString absoluteClean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isDirectory(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

void logFailure(const char* what, const QString& path, int error) {
    Show_NSLog_Message(
        QStringLiteral("%1 %2 : %3")
            .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(error))));
}

// mkdir applies the umask; the mode is set again on the new directory itself (never through a
// symlink someone put in its place).
bool makeOneDirectory(const QByteArray& path) {
    if (::mkdir(path.constData(), kPrivateDirectoryMode) != 0) {
        return errno == EEXIST && isDirectory(path);
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, kPrivateDirectoryMode);
        ::close(fd);
    }
    return true;
}

}  // namespace

QString Resource_Directory() {
    const QString configured = qEnvironmentVariable("TESK_SMS_RESOURCE_DIR");
    if (!configured.isEmpty()) {
        return absoluteClean(configured);
    }
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome)) {
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(dataHome + QStringLiteral("/tesk-sms"));
}

QString Join_Path(const QString& first, const QString& second) {
    QString head = first;
    while (head.size() > 1 && head.endsWith(QLatin1Char('/'))) {
        head.chop(1);
    }
    QString tail = second;
    while (tail.startsWith(QLatin1Char('/'))) {
        tail.remove(0, 1);
    }
    if (head.isEmpty()) {
        return tail;
    }
    return head == QStringLiteral("/") ? head + tail : head + QLatin1Char('/') + tail;
}

void Set_Data_Paths(const QString& resourcePath) {
    Resource_Path = absoluteClean(resourcePath);
    Tesk_SMS_Data_Folder_Path = Join_Path(Resource_Path, QStringLiteral("TESK_SMS_DATA"));
    Sent_Item_Path = Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("SentItem.VORN"));
    Sent_Item_Path_Android =
        Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("SentItemAnd.VORN"));
    Templates_Path = Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("Templates.VORN"));
    Applied_Exclusion_Path =
        Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("AppExclusion.VORN"));
    Exclusion_Folder_Path = Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("Exclusion"));
    Exclusion_Index_Path = Join_Path(Exclusion_Folder_Path, QStringLiteral("ExListIndex.VORN"));
}

bool Make_Private_Directory(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QString target = absoluteClean(path);
    const QByteArray whole = QFile::encodeName(target);
    if (isDirectory(whole)) {
        return true;
    }
    // Walk down from the root, creating each missing component.
    qsizetype end = 0;
    while (end >= 0) {
        end = target.indexOf(QLatin1Char('/'), end + 1);
        const QByteArray prefix = QFile::encodeName(end < 0 ? target : target.left(end));
        if (isDirectory(prefix)) {
            continue;
        }
        if (!makeOneDirectory(prefix)) {
            logFailure("can not create folder", QFile::decodeName(prefix), errno);
            return false;
        }
    }
    return isDirectory(whole);
}

bool Make_Private_Empty_File(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    // O_EXCL: an existing file (or anything else at that path) is never opened, let alone
    // truncated, and two threads creating the same file cannot both succeed.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          kPrivateFileMode);
    if (fd < 0) {
        if (errno != EEXIST) {
            logFailure("can not create file", path, errno);
        }
        return false;
    }
    ::fchmod(fd, kPrivateFileMode);
    ::close(fd);
    return true;
}

}  // namespace tesk

void Check_Path_And_Create_Files() {
    try {
        if (!QFileInfo::exists(Tesk_SMS_Data_Folder_Path)) {
            tesk::Make_Private_Directory(Tesk_SMS_Data_Folder_Path);
        }
        for (const QString* file :
             {&Sent_Item_Path, &Sent_Item_Path_Android, &Templates_Path, &Applied_Exclusion_Path}) {
            tesk::Make_Private_Empty_File(*file);
        }
        if (!QFileInfo::exists(Exclusion_Folder_Path)) {
            tesk::Make_Private_Directory(Exclusion_Folder_Path);
        }
        tesk::Make_Private_Empty_File(Exclusion_Index_Path);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Check_Path_And_Create_Files exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}
