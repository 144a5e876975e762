#include "fake-adb/fake_adb_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace tesk::fakeadb {

QString ActivityAnswerFile(int start) {
    return QStringLiteral("am_answer.%1.txt").arg(start);
}

FakeAdbState::FakeAdbState(QString directory) : dir_(std::move(directory)) {
    QDir().mkpath(dir_);
}

QString FakeAdbState::path(const QString& name) const {
    return dir_ + QLatin1Char('/') + name;
}

void FakeAdbState::writeText(const QString& name, const QString& text) const {
    QFile file(path(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text.toUtf8());
    }
}

QString FakeAdbState::text(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString("");
    }
    return QString::fromUtf8(file.readAll());
}

bool FakeAdbState::exists(const QString& name) const {
    return QFileInfo::exists(path(name));
}

void FakeAdbState::remove(const QString& name) const {
    QFile::remove(path(name));
}

// O_APPEND keeps lines whole when the adb and the phone's am write at nearly the same time.
void FakeAdbState::appendJsonLine(const QString& name, const QByteArray& compactJson) const {
    const QByteArray line = compactJson + '\n';
    const int fd = ::open(QFile::encodeName(path(name)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + done, line.size() - done);
        if (n <= 0) {
            break;
        }
        done += n;
    }
    ::close(fd);
}

void FakeAdbState::setListing(const QString& text) {
    writeText(kDevicesFile, text);
}

void FakeAdbState::setOnePhone(const QString& serial) {
    setListing(QStringLiteral("List of devices attached\n%1\tdevice\n\n").arg(serial));
}

void FakeAdbState::setBuildProp(const QString& text) {
    writeText(kBuildPropFile, text);
}

void FakeAdbState::setSerialNumberOutput(const QString& text) {
    writeText(kSerialFile, text);
}

void FakeAdbState::setStorageRoot(const QString& root) {
    writeText(kStorageFile, root);
}

void FakeAdbState::setStorageFull(bool full) {
    if (full) {
        writeText(kStorageFullFile, QString(""));
    } else {
        remove(kStorageFullFile);
    }
}

void FakeAdbState::setInstallAnswer(const QString& text, std::optional<int> exitCode) {
    writeText(kInstallAnswerFile, text);
    if (exitCode) {
        writeText(kInstallExitFile, QString::number(*exitCode));
    } else {
        remove(kInstallExitFile);
    }
}

void FakeAdbState::setActivityAnswer(const QString& text) {
    writeText(kActivityAnswerFile, text);
}

void FakeAdbState::setActivityAnswer(int start, const QString& text) {
    writeText(ActivityAnswerFile(start), text);
}

void FakeAdbState::setLoseAfterStarts(int starts) {
    writeText(kLoseAfterFile, QString::number(starts));
}

void FakeAdbState::setHang(const QStringList& commands) {
    writeText(kHangFile, commands.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void FakeAdbState::setGrantAnswer(const QString& text) {
    writeText(kGrantAnswerFile, text);
}

void FakeAdbState::setGetprop(const QString& text) {
    writeText(kGetpropFile, text);
}

void FakeAdbState::setWording(AdbWording wording) {
    writeText(kWordingFile,
              wording == AdbWording::Old ? QStringLiteral("old\n") : QStringLiteral("current\n"));
}

AdbWording FakeAdbState::wording() const {
    return text(kWordingFile).trimmed() == QLatin1String("old") ? AdbWording::Old
                                                                : AdbWording::Current;
}

void FakeAdbState::setGlobalSetting(const QString& key, const QString& value) {
    QStringList kept;
    for (const QString& line : text(kSettingsFile).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.section(QLatin1Char('='), 0, 0) != key) {
            kept.append(line);
        }
    }
    kept.append(key + QLatin1Char('=') + value);
    writeText(kSettingsFile, kept.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

QString FakeAdbState::globalSetting(const QString& key) const {
    QString value;
    for (const QString& line : text(kSettingsFile).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.section(QLatin1Char('='), 0, 0) == key) {
            value = line.section(QLatin1Char('='), 1);
        }
    }
    return value;
}

namespace {

QList<QByteArray> lines(const QString& path) {
    QFile file(path);
    QList<QByteArray> result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            result.append(line);
        }
    }
    return result;
}

}  // namespace

QList<QStringList> FakeAdbState::calls() const {
    QList<QStringList> result;
    for (const QByteArray& line : lines(path(kCallsLog))) {
        QStringList argv;
        for (const QJsonValue& value : QJsonDocument::fromJson(line).array()) {
            argv.append(value.toString());
        }
        result.append(argv);
    }
    return result;
}

QList<QStringList> FakeAdbState::callsOf(const QString& command) const {
    QList<QStringList> result;
    for (const QStringList& call : calls()) {
        if (!call.isEmpty() && call.first() == command) {
            result.append(call);
        }
    }
    return result;
}

QList<QJsonObject> FakeAdbState::activityStarts() const {
    QList<QJsonObject> result;
    for (const QByteArray& line : lines(path(kActivityLog))) {
        result.append(QJsonDocument::fromJson(line).object());
    }
    return result;
}

QByteArray FakeAdbState::installedPackage() const {
    QFile file(path(kInstalledPackageFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FakeAdbState::grants() const {
    QStringList result;
    for (const QByteArray& line : lines(path(kGrantsLog))) {
        result.append(QString::fromUtf8(line));
    }
    return result;
}

QString FakeAdbState::phonePath(const QString& remote) const {
    // A relative phone path (an empty storage root) lands at the top of the phone.
    QString clean = QDir::cleanPath(QStringLiteral("/") + remote);
    return path(kPhoneDir) + clean;
}

bool FakeAdbState::phoneHasFile(const QString& remote) const {
    return QFileInfo(phonePath(remote)).isFile();
}

QByteArray FakeAdbState::phoneFile(const QString& remote) const {
    QFile file(phonePath(remote));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FakeAdbState::putPhoneFile(const QString& remote, const QByteArray& bytes) {
    const QString local = phonePath(remote);
    QDir().mkpath(QFileInfo(local).absolutePath());
    QFile file(local);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

}  // namespace tesk::fakeadb
