#pragma once
// The state directory of the fake adb: one phone (or several, or none) as files, so a test sets
// up what the phone answers and reads back what the program did to it. The fake adb executable
// reads and writes the same directory; the directory is named by FAKE_ADB_STATE.
//
// Inputs (all optional; a missing file means the default in brackets):
//   devices.txt           what "adb devices" prints, verbatim ["List of devices attached\n\n"]
//   build.prop            the phone's /system/build.prop [pull fails: no such file]
//   serialno.txt          what "get-serialno" prints, verbatim [the first listed serial]
//   external_storage.txt  the phone's EXTERNAL_STORAGE [/sdcard]
//   storage_full          present: every push fails with "failed to copy ... No space left"
//   install_answer.txt    what "install" prints ["Success\n"]
//   install_exit.txt      install's exit code [1 when the answer holds "Failure" or "error", else
//   0] am_answer.txt         what every activity start prints ["Starting: Intent { ... }"]
//   am_answer.<N>.txt     what the Nth activity start prints (N from 1), before am_answer.txt
//   lose_after_starts.txt N: after the Nth activity start the phone is gone
//   hang.txt              adb commands (first word, e.g. "install", "shell") that never end
//   grant_answer.txt      what every "pm grant" prints; with "Exception" in it the grant fails
//                         [nothing: granted]
//   wording.txt           "old": adb's own lines in the wording of releases before 2017
//                         ("* daemon ... *", "error: device not found"); otherwise today's
//                         ("* daemon not running; starting now at tcp:5037", "adb: no
//                         devices/emulators found") [today's]
//   settings_global.txt   the phone's global settings, "key=value" lines [none]
//   getprop.txt           what "getprop" prints, verbatim [build.prop as "[key]: [value]" lines]
// Outputs:
//   calls.jsonl           one JSON array of the argv (without the program) per adb call
//   activity_starts.jsonl one JSON object per activity start as the phone's `am` got it:
//                         {"argv":[...], "action":..., "component":..., "extras":{KEY:value},
//                          "extraFlags":{KEY:"-e" or "--es"}}
//   phone/                the phone's file system: a push to /sdcard/x lands in phone/sdcard/x
//   starts.count          activity starts so far
//   server_down           present after "kill-server" until the next call restarts the daemon
//   installed.apk         a copy of the last package installed
//   grants.txt            one "package permission" line per granted runtime permission
//   settings_global.txt   "settings put global" writes here
//   bin/                  the stand-in am, echo, rm, pm, getprop and settings the phone's
//                         shell finds on its PATH (getprop answers from build.prop)
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tesk::fakeadb {

inline constexpr char kStateEnv[] = "FAKE_ADB_STATE";

inline const QString kDevicesFile = QStringLiteral("devices.txt");
inline const QString kBuildPropFile = QStringLiteral("build.prop");
inline const QString kSerialFile = QStringLiteral("serialno.txt");
inline const QString kStorageFile = QStringLiteral("external_storage.txt");
inline const QString kStorageFullFile = QStringLiteral("storage_full");
inline const QString kInstallAnswerFile = QStringLiteral("install_answer.txt");
inline const QString kInstallExitFile = QStringLiteral("install_exit.txt");
inline const QString kActivityAnswerFile = QStringLiteral("am_answer.txt");
inline const QString kLoseAfterFile = QStringLiteral("lose_after_starts.txt");
inline const QString kHangFile = QStringLiteral("hang.txt");
inline const QString kCallsLog = QStringLiteral("calls.jsonl");
inline const QString kActivityLog = QStringLiteral("activity_starts.jsonl");
inline const QString kPhoneDir = QStringLiteral("phone");
inline const QString kStartsCount = QStringLiteral("starts.count");
inline const QString kServerDown = QStringLiteral("server_down");
inline const QString kBinDir = QStringLiteral("bin");
inline const QString kGrantAnswerFile = QStringLiteral("grant_answer.txt");
inline const QString kInstalledPackageFile = QStringLiteral("installed.apk");
inline const QString kGrantsLog = QStringLiteral("grants.txt");
inline const QString kWordingFile = QStringLiteral("wording.txt");
inline const QString kSettingsFile = QStringLiteral("settings_global.txt");
inline const QString kGetpropFile = QStringLiteral("getprop.txt");

// Which release's words adb uses for its own lines.
enum class AdbWording { Current, Old };

// The one package the stand-in phone knows once something was installed: the companion's.
inline const QString kCompanionPackageName = QStringLiteral("com.VUVEZAZUREVAVU");

inline const QString kDefaultListing = QStringLiteral("List of devices attached\n\n");
inline const QString kDefaultStorageRoot = QStringLiteral("/sdcard");
inline const QString kDefaultActivityAnswer = QStringLiteral(
    "Starting: Intent { act=android.intent.category.MAIN cmp=com.VUVEZAZUREVAVU/.SMS (has "
    "extras) }\n");
inline const QString kOldDaemonLines = QStringLiteral(
    "* daemon not running. starting it now on port 5037 *\n* daemon started successfully *\n");
inline const QString kCurrentDaemonLines = QStringLiteral(
    "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n");
inline QString DaemonLines(AdbWording wording) {
    return wording == AdbWording::Old ? kOldDaemonLines : kCurrentDaemonLines;
}

QString ActivityAnswerFile(int start);  // "am_answer.<N>.txt"

// Reads and writes one state directory. Every setter writes its file at once.
class FakeAdbState {
  public:
    explicit FakeAdbState(QString directory);

    const QString& directory() const { return dir_; }
    QString path(const QString& name) const;

    // ---- what the phone answers
    void setListing(const QString& text);
    // One ready phone with this serial.
    void setOnePhone(const QString& serial);
    void setBuildProp(const QString& text);
    void setSerialNumberOutput(const QString& text);
    void setStorageRoot(const QString& root);
    void setStorageFull(bool full);
    void setInstallAnswer(const QString& text, std::optional<int> exitCode = std::nullopt);
    void setActivityAnswer(const QString& text);
    void setActivityAnswer(int start, const QString& text);
    void setLoseAfterStarts(int starts);
    void setHang(const QStringList& commands);
    void setGrantAnswer(const QString& text);
    void setGetprop(const QString& text);
    void setWording(AdbWording wording);
    AdbWording wording() const;
    void setGlobalSetting(const QString& key, const QString& value);
    // "" when the phone has no such setting.
    QString globalSetting(const QString& key) const;

    // ---- what the program did
    QList<QStringList> calls() const;
    // Calls whose first word is `command` ("push", "shell", ...).
    QList<QStringList> callsOf(const QString& command) const;
    QList<QJsonObject> activityStarts() const;
    // The bytes of the last installed package (empty when nothing was installed).
    QByteArray installedPackage() const;
    // "package permission" for every grant, in order.
    QStringList grants() const;
    // Where a phone path lives in the state directory.
    QString phonePath(const QString& remote) const;
    bool phoneHasFile(const QString& remote) const;
    QByteArray phoneFile(const QString& remote) const;
    void putPhoneFile(const QString& remote, const QByteArray& bytes);

    // ---- used by the fake adb itself
    QString text(const QString& name) const;  // "" when missing
    bool exists(const QString& name) const;
    void remove(const QString& name) const;
    void writeText(const QString& name, const QString& text) const;
    void appendJsonLine(const QString& name, const QByteArray& compactJson) const;

  private:
    QString dir_;
};

}  // namespace tesk::fakeadb
