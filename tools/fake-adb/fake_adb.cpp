#include "fake-adb/fake_adb.h"

#include "fake-adb/fake_adb_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace tesk::fakeadb {

namespace {

void out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

QString selfPath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

[[noreturn]] void hangForever() {
    for (;;) {
        ::pause();
    }
}

int number(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// One "serial<TAB>state" line of the listing.
struct Listed {
    QString serial;
    QString state;
};

QList<Listed> listedDevices(const QString& listing) {
    QList<Listed> result;
    for (const QString& raw : listing.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('*')) ||
            line.startsWith(QLatin1String("List of devices"))) {
            continue;
        }
        const QStringList parts = line.split(QLatin1Char('\t'));
        result.append({parts.value(0).trimmed(), parts.value(1).trimmed()});
    }
    return result;
}

class Phone {
  public:
    explicit Phone(FakeAdbState& state) : state_(state) {}

    bool lost() const {
        if (!state_.exists(kLoseAfterFile)) {
            return false;
        }
        return starts() >= number(state_.text(kLoseAfterFile), 1 << 30);
    }
    int starts() const { return number(state_.text(kStartsCount), 0); }
    QString listing() const {
        if (lost()) {
            return QStringLiteral("List of devices attached\n\n");
        }
        return state_.exists(kDevicesFile) ? state_.text(kDevicesFile) : kDefaultListing;
    }
    // What a command that needs exactly one ready phone gets instead, or "" when it may run.
    // Today's adb prefixes push and install errors with the feature-set question it asks first.
    QString gateError(const QString& command) const {
        const QList<Listed> devices = listedDevices(listing());
        const bool old = state_.wording() == AdbWording::Old;
        const QString prefix =
            old ? QStringLiteral("error: ")
                : (command == QLatin1String("push") || command == QLatin1String("install")
                       ? QStringLiteral("adb: error: failed to get feature set: ")
                       : QStringLiteral("adb: "));
        if (devices.isEmpty()) {
            return prefix + (old ? QStringLiteral("device not found\n")
                                 : QStringLiteral("no devices/emulators found\n"));
        }
        if (devices.size() > 1) {
            return prefix + QStringLiteral("more than one device/emulator\n");
        }
        const QString state = devices.first().state;
        if (state == QLatin1String("offline")) {
            return prefix + QStringLiteral("device offline\n");
        }
        if (state == QLatin1String("unauthorized")) {
            return prefix + (old ? QStringLiteral("device unauthorized.\nPlease check the "
                                                  "confirmation dialog on your device.\n")
                                 : QStringLiteral("device unauthorized.\nThis adb server's "
                                                  "$ADB_VENDOR_KEYS is not set\nTry 'adb "
                                                  "kill-server' if that seems wrong.\nOtherwise "
                                                  "check for a confirmation dialog on your "
                                                  "device.\n"));
        }
        return QString();
    }
    QString firstSerial() const { return listedDevices(listing()).value(0).serial; }
    QString storageRoot() const {
        return state_.exists(kStorageFile) ? state_.text(kStorageFile).trimmed()
                                           : kDefaultStorageRoot;
    }

  private:
    FakeAdbState& state_;
};

int devicesCommand(FakeAdbState& state) {
    out(Phone(state).listing());
    return 0;
}

int pullCommand(FakeAdbState& state, const QStringList& args) {
    const QString remote = args.value(1);
    const QString local = args.value(2, QStringLiteral("."));
    if (remote != QLatin1String("/system/build.prop") || !state.exists(kBuildPropFile)) {
        err(QStringLiteral("adb: error: failed to stat remote object '%1': No such file or "
                           "directory\n")
                .arg(remote));
        return 1;
    }
    QString target = local;
    if (QFileInfo(local).isDir()) {
        target = QDir(local).filePath(QStringLiteral("build.prop"));
    }
    QFile::remove(target);
    if (!QFile::copy(state.path(kBuildPropFile), target)) {
        err(QStringLiteral("adb: error: cannot create '%1': Permission denied\n").arg(target));
        return 1;
    }
    out(QStringLiteral("%1: 1 file pulled, 0 skipped.\n").arg(remote));
    return 0;
}

int pushCommand(FakeAdbState& state, const QStringList& args) {
    const QString local = args.value(1);
    const QString remote = args.value(2);
    if (!QFileInfo(local).isFile()) {
        err(QStringLiteral("adb: error: cannot stat '%1': No such file or directory\n").arg(local));
        return 1;
    }
    if (state.exists(kStorageFullFile)) {
        err(QStringLiteral("adb: error: failed to copy '%1' to '%2': remote No space left on "
                           "device\n")
                .arg(local, remote));
        return 1;
    }
    QFile file(local);
    if (!file.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("adb: error: cannot open '%1'\n").arg(local));
        return 1;
    }
    state.putPhoneFile(remote, file.readAll());
    out(QStringLiteral("%1: 1 file pushed, 0 skipped.\n").arg(local));
    return 0;
}

int installCommand(FakeAdbState& state, const QStringList& args) {
    const QString package = args.value(args.size() - 1);
    if (!QFileInfo(package).isFile()) {
        err(QStringLiteral("adb: failed to stat %1: No such file or directory\n").arg(package));
        return 1;
    }
    const QString answer = state.exists(kInstallAnswerFile) ? state.text(kInstallAnswerFile)
                                                            : QStringLiteral("Success\n");
    out(answer);
    const int exitCode =
        state.exists(kInstallExitFile)
            ? number(state.text(kInstallExitFile), 0)
            : (answer.contains(QLatin1String("Failure")) || answer.contains(QLatin1String("error"))
                   ? 1
                   : 0);
    if (exitCode == 0) {
        QFile::remove(state.path(kInstalledPackageFile));
        QFile::copy(package, state.path(kInstalledPackageFile));
    }
    return exitCode;
}

// Runs the joined command line through a real POSIX shell, as the phone's adbd does, with the
// stand-ins first on its PATH and the phone's EXTERNAL_STORAGE in its environment.
int shellCommand(FakeAdbState& state, const QStringList& args) {
    const QString binDir = state.path(kBinDir);
    QDir().mkpath(binDir);
    const QString self = selfPath();
    for (const char* tool : {"am", "echo", "rm", "pm", "getprop", "settings"}) {
        const QString link = QDir(binDir).filePath(QString::fromLatin1(tool));
        if (QFileInfo(link).symLinkTarget() != self) {
            QFile::remove(link);
            QFile::link(self, link);
        }
    }
    const QByteArray command = args.mid(1).join(QLatin1Char(' ')).toUtf8();
    const QByteArray path = QFile::encodeName(binDir) + ":/usr/bin:/bin";
    const QByteArray storage = Phone(state).storageRoot().toUtf8();
    const pid_t child = ::fork();
    if (child < 0) {
        err(QStringLiteral("error: fork failed\n"));
        return 1;
    }
    if (child == 0) {
        ::setenv("PATH", path.constData(), 1);
        ::setenv("EXTERNAL_STORAGE", storage.constData(), 1);
        ::setenv("HOME", "/data/local/phone-home", 1);
        ::execl("/bin/sh", "sh", "-c", command.constData(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {  // no child to wait for: nothing would ever change
            return 1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// ---- the phone's stand-ins

int amStandIn(FakeAdbState& state, int argc, char** argv) {
    QJsonArray rawArgs;
    QJsonObject extras;
    QJsonObject flags;
    QJsonObject entry;
    for (int i = 1; i < argc; ++i) {
        rawArgs.append(QString::fromUtf8(argv[i]));
    }
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        const bool hasValue = i + 1 < argc;
        if ((word == "-e" || word == "--es") && i + 2 < argc) {
            const QString key = QString::fromUtf8(argv[i + 1]);
            extras[key] = QString::fromUtf8(argv[i + 2]);
            flags[key] = QString::fromUtf8(word);
            i += 2;
        } else if (word == "-a" && hasValue) {
            entry[QStringLiteral("action")] = QString::fromUtf8(argv[++i]);
        } else if (word == "-n" && hasValue) {
            entry[QStringLiteral("component")] = QString::fromUtf8(argv[++i]);
        }
    }
    const int start = number(state.text(kStartsCount), 0) + 1;
    state.writeText(kStartsCount, QString::number(start));
    entry[QStringLiteral("argv")] = rawArgs;
    entry[QStringLiteral("extras")] = extras;
    entry[QStringLiteral("extraFlags")] = flags;
    state.appendJsonLine(kActivityLog, QJsonDocument(entry).toJson(QJsonDocument::Compact));
    if (state.exists(ActivityAnswerFile(start))) {
        out(state.text(ActivityAnswerFile(start)));
    } else if (state.exists(kActivityAnswerFile)) {
        out(state.text(kActivityAnswerFile));
    } else {
        out(kDefaultActivityAnswer);
    }
    return 0;
}

int rmStandIn(FakeAdbState& state, int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const QString remote = QString::fromUtf8(argv[i]);
        if (remote.startsWith(QLatin1Char('-'))) {
            continue;
        }
        if (!QFile::remove(state.phonePath(remote))) {
            err(QStringLiteral("rm: %1: No such file or directory\n").arg(remote));
            status = 1;
        }
    }
    return status;
}

// "pm grant PACKAGE PERMISSION", as a phone answers it: an unknown package (nothing installed
// yet, or another name) is an exception with exit code 255, like a permission the phone does not
// know (grant_answer.txt).
int pmStandIn(FakeAdbState& state, int argc, char** argv) {
    const QString verb = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    if (verb != QLatin1String("grant") || argc != 4) {
        err(QStringLiteral("Error: unknown command '%1'\n").arg(verb));
        return 1;
    }
    const QString package = QString::fromUtf8(argv[2]);
    const QString permission = QString::fromUtf8(argv[3]);
    if (!state.exists(kInstalledPackageFile) || package != kCompanionPackageName) {
        err(QStringLiteral("Exception occurred while executing 'grant':\n"
                           "java.lang.IllegalArgumentException: Unknown package: %1\n")
                .arg(package));
        return 255;
    }
    if (state.exists(kGrantAnswerFile)) {
        const QString answer = state.text(kGrantAnswerFile);
        err(answer);
        if (answer.contains(QLatin1String("Exception"))) {
            return 255;
        }
    }
    QFile log(state.path(kGrantsLog));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write((package + QLatin1Char(' ') + permission + QLatin1Char('\n')).toUtf8());
    }
    return 0;
}

// "getprop" with no argument lists every property as "[key]: [value]", sorted by key.
int getpropStandIn(FakeAdbState& state) {
    if (state.exists(kGetpropFile)) {
        out(state.text(kGetpropFile));
        return 0;
    }
    QMap<QString, QString> properties;
    for (const QString& raw : state.text(kBuildPropFile).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || equals <= 0) {
            continue;
        }
        properties[line.left(equals).trimmed()] = line.mid(equals + 1).trimmed();
    }
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        out(QStringLiteral("[%1]: [%2]\n").arg(it.key(), it.value()));
    }
    return 0;
}

// "settings get global KEY" ("null" when unset) and "settings put global KEY VALUE".
int settingsStandIn(FakeAdbState& state, int argc, char** argv) {
    const QString verb = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    const QString table = argc > 2 ? QString::fromUtf8(argv[2]) : QString();
    if (table == QLatin1String("global") && verb == QLatin1String("get") && argc == 4) {
        const QString value = state.globalSetting(QString::fromUtf8(argv[3]));
        out((value.isEmpty() ? QStringLiteral("null") : value) + QLatin1Char('\n'));
        return 0;
    }
    if (table == QLatin1String("global") && verb == QLatin1String("put") && argc == 5) {
        state.setGlobalSetting(QString::fromUtf8(argv[3]), QString::fromUtf8(argv[4]));
        return 0;
    }
    err(QStringLiteral("Invalid command: %1\n").arg(verb));
    return 255;
}

int echoStandIn(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i) {
        words.append(QString::fromUtf8(argv[i]));
    }
    out(words.join(QLatin1Char(' ')) + QLatin1Char('\n'));
    return 0;
}

bool hangs(const FakeAdbState& state, const QString& command) {
    if (!state.exists(kHangFile)) {
        return false;
    }
    for (const QString& line : state.text(kHangFile).split(QLatin1Char('\n'))) {
        if (line.trimmed() == command) {
            return true;
        }
    }
    return false;
}

// The phone's stand-ins: this executable started under a tool's name through the links the
// shell command makes. nullopt when the name is none of them (adb itself).
std::optional<int> runStandIn(FakeAdbState& state, const QString& name, int argc, char** argv) {
    if (name == QLatin1String("am")) {
        return amStandIn(state, argc, argv);
    }
    if (name == QLatin1String("rm")) {
        return rmStandIn(state, argc, argv);
    }
    if (name == QLatin1String("echo")) {
        return echoStandIn(argc, argv);
    }
    if (name == QLatin1String("pm")) {
        return pmStandIn(state, argc, argv);
    }
    if (name == QLatin1String("getprop")) {
        return getpropStandIn(state);
    }
    if (name == QLatin1String("settings")) {
        return settingsStandIn(state, argc, argv);
    }
    return std::nullopt;
}

// The adb call's arguments, each call logged before it is answered so a test sees even the
// calls that hang.
QStringList loggedArguments(FakeAdbState& state, int argc, char** argv) {
    QStringList args;
    QJsonArray logged;
    for (int i = 1; i < argc; ++i) {
        args.append(QString::fromUtf8(argv[i]));
        logged.append(args.last());
    }
    state.appendJsonLine(kCallsLog, QJsonDocument(logged).toJson(QJsonDocument::Compact));
    return args;
}

// The commands that need exactly one ready phone; any other command is unknown to adb.
int phoneCommand(FakeAdbState& state, const QString& command, const QStringList& args) {
    const QString gate = Phone(state).gateError(command);
    if (command == QLatin1String("get-serialno")) {
        if (!gate.isEmpty()) {
            err(gate);
            return 1;
        }
        out(state.exists(kSerialFile) ? state.text(kSerialFile)
                                      : Phone(state).firstSerial() + QLatin1Char('\n'));
        return 0;
    }
    if (command == QLatin1String("pull") || command == QLatin1String("push") ||
        command == QLatin1String("install") || command == QLatin1String("shell")) {
        if (!gate.isEmpty()) {
            err(gate);
            return 1;
        }
        if (command == QLatin1String("pull")) {
            return pullCommand(state, args);
        }
        if (command == QLatin1String("push")) {
            return pushCommand(state, args);
        }
        if (command == QLatin1String("install")) {
            return installCommand(state, args);
        }
        return shellCommand(state, args);
    }
    err(QStringLiteral("adb: unknown command %1\n").arg(command));
    return 1;
}

}  // namespace

int Fake_Adb_Main(int argc, char** argv) {
    const QByteArray stateDir = qgetenv(kStateEnv);
    if (stateDir.isEmpty()) {
        err(QStringLiteral("fake adb: %1 is not set\n").arg(QLatin1String(kStateEnv)));
        return 2;
    }
    FakeAdbState state(QFile::decodeName(stateDir));
    const QString name = QFileInfo(QFile::decodeName(argv[0])).fileName();
    if (const std::optional<int> code = runStandIn(state, name, argc, argv)) {
        return *code;
    }

    const QStringList args = loggedArguments(state, argc, argv);
    const QString command = args.value(0);
    if (hangs(state, command)) {
        hangForever();
    }
    if (command == QLatin1String("kill-server")) {
        state.writeText(kServerDown, QString(""));
        return 0;
    }
    if (state.exists(kServerDown)) {
        // The first call after the server was stopped starts it again and says so.
        state.remove(kServerDown);
        err(DaemonLines(state.wording()));
    }
    if (command == QLatin1String("start-server")) {
        return 0;
    }
    if (command == QLatin1String("devices")) {
        return devicesCommand(state);
    }
    return phoneCommand(state, command, args);
}

}  // namespace tesk::fakeadb
