#include "core/runtime_paths.h"

#include "core/log.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tesk {

namespace {

// The folder that holds ours (the runtime directory, or /tmp) and our folders below it, top
// first.
struct Chain {
    QString parent;
    QStringList ours;
};

Chain virtualModemChain() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString top = runtime + QStringLiteral("/tesk-sms");
        return {runtime, {top, top + QStringLiteral("/modems")}};
    }
    const QString top = QStringLiteral("/tmp/tesk-sms-%1").arg(::geteuid());
    return {QStringLiteral("/tmp"), {top, top + QStringLiteral("/modems")}};
}

QString modeText(mode_t mode) {
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// The folder above ours: this user's or the system's, and when others may write to it, sticky
// (so no one can rename or remove what is ours in it).
QString parentProblem(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISDIR(st.st_mode)) {
        return QStringLiteral("%1 is not a folder").arg(path);
    }
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
        return QStringLiteral("%1 belongs to another user (uid %2)").arg(path).arg(st.st_uid);
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
        return QStringLiteral("other users may write to %1 (mode %2)")
            .arg(path, modeText(st.st_mode));
    }
    return QString();
}

}  // namespace

QString Virtual_Modem_Dir() {
    return virtualModemChain().ours.last();
}

QString Private_Folder_Problem(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        return errno == ENOENT ? QString()
                               : QStringLiteral("%1: %2").arg(
                                     path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (S_ISLNK(st.st_mode)) {
        return QStringLiteral("%1 is a symbolic link").arg(path);
    }
    if (!S_ISDIR(st.st_mode)) {
        return QStringLiteral("%1 is not a folder").arg(path);
    }
    if (st.st_uid != ::geteuid()) {
        return QStringLiteral("%1 belongs to another user (uid %2)").arg(path).arg(st.st_uid);
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return QStringLiteral("other users may write to %1 (mode %2)")
            .arg(path, modeText(st.st_mode));
    }
    return QString();
}

QString Virtual_Modem_Dir_Problem() {
    const Chain chain = virtualModemChain();
    QString problem = parentProblem(chain.parent);
    for (const QString& folder : chain.ours) {
        if (!problem.isEmpty()) {
            break;
        }
        problem = Private_Folder_Problem(folder);
    }
    return problem;
}

bool Make_Virtual_Modem_Dir(QString* why) {
    const Chain chain = virtualModemChain();
    auto refuse = [&](const QString& problem) {
        log::write(QStringLiteral("virtual modem folder refused: %1").arg(problem));
        if (why) {
            *why = problem;
        }
        return false;
    };
    if (const QString problem = parentProblem(chain.parent); !problem.isEmpty()) {
        return refuse(problem);
    }
    for (const QString& folder : chain.ours) {
        const QByteArray native = QFile::encodeName(folder);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            return refuse(
                QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        }
        struct stat st {};
        // Ours but open to others (an old umask, a careless chmod): private again. Links others
        // left there meanwhile are not ours, and the readers pass over them.
        if (::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            if (::chmod(native.constData(), 0700) != 0) {
                return refuse(QStringLiteral("%1: %2").arg(
                    folder, QString::fromLocal8Bit(std::strerror(errno))));
            }
            log::write(QStringLiteral("virtual modem folder %1 was open to other users (mode "
                                      "%2); made private again")
                           .arg(folder, modeText(st.st_mode)));
        }
        if (const QString problem = Private_Folder_Problem(folder); !problem.isEmpty()) {
            return refuse(problem);
        }
    }
    return true;
}

}  // namespace tesk
