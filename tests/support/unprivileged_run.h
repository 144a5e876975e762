#pragma once
// Runs a test helper program as an ordinary user. Root opens any port whatever its mode or
// exclusive use, so tests of refused opens run their helper as "nobody" when the suite runs as
// root (as it does in CI), and as the current user otherwise.
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <unistd.h>

namespace tesk::test {

class UnprivilegedRun {
  public:
    // Copies `program` into a folder the other user can reach and starts it with `arguments`.
    // False when the copy could not be made (the process is then not started).
    bool start(const QString& program, const QStringList& arguments) {
        if (!shared_.isValid() ||
            !QFile::setPermissions(shared_.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadGroup |
                                                       QFile::ExeGroup | QFile::ReadOther |
                                                       QFile::ExeOther)) {
            return false;
        }
        const QString copy = shared_.filePath(QStringLiteral("helper"));
        if (!QFile::copy(program, copy)) {
            return false;
        }
        if (geteuid() == 0) {
            process.start(
                QStringLiteral("setpriv"),
                QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", copy} + arguments);
        } else {
            process.start(copy, arguments);
        }
        return true;
    }

    QProcess process;

  private:
    QTemporaryDir shared_;
};

}  // namespace tesk::test
