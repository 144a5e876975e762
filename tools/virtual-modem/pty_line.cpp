#include "virtual-modem/pty_line.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tesk::vmodem {
namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool makeRaw(int fd, QString* error) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    return true;
}

bool announce(const QString& link, const QString& target, QString* error) {
    if (!MakePrivateDirs(QFileInfo(link).path(), error)) {
        return false;
    }
    struct stat st {};
    if (::lstat(native(link).constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a symlink").arg(link);
        return false;
    }
    // Build the link beside its final name and rename it over, so a reader never sees a
    // half-made announcement and a stale link is replaced in one step.
    const QByteArray temporary = native(link + QStringLiteral(".%1.tmp").arg(::getpid()));
    ::unlink(temporary.constData());
    if (::symlink(native(target).constData(), temporary.constData()) != 0) {
        *error = systemError("symlink");
        return false;
    }
    if (::rename(temporary.constData(), native(link).constData()) != 0) {
        *error = systemError("rename");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

}  // namespace

bool MakePrivateDirs(const QString& path, QString* error) {
    const QByteArray full = native(path);
    for (qsizetype i = 1; i <= full.size(); ++i) {
        if (i != full.size() && full[i] != '/') {
            continue;
        }
        const QByteArray prefix = full.left(i);
        if (::mkdir(prefix.constData(), 0700) != 0 && errno != EEXIST) {
            *error = systemError("mkdir") + QStringLiteral(" (%1)").arg(QFile::decodeName(prefix));
            return false;
        }
    }
    struct stat st {};
    if (::stat(full.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(path);
        return false;
    }
    return true;
}

PtyLine::~PtyLine() {
    close();
}

bool PtyLine::open(const QString& link, QString* error) {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[PATH_MAX] = {};
    bool ok = master_ >= 0;
    if (!ok) {
        *error = systemError("posix_openpt");
    } else if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
               ::ptsname_r(master_, name, sizeof name) != 0) {
        *error = systemError("grantpt/unlockpt/ptsname");
        ok = false;
    }
    if (ok) {
        slavePath_ = QFile::decodeName(name);
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        ok = slave_ >= 0 || (*error = systemError("open slave"), false);
    }
    ok = ok && makeRaw(slave_, error);
    if (ok && ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        *error = systemError("fcntl");
        ok = false;
    }
    if (ok && !link.isEmpty()) {
        if (!announce(link, slavePath_, error)) {
            ok = false;
        } else {
            linkPath_ = link;
        }
    }
    if (!ok) {
        close();
    }
    return ok;
}

void PtyLine::close() {
    if (!linkPath_.isEmpty()) {
        char target[PATH_MAX] = {};
        const QByteArray link = native(linkPath_);
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QFile::decodeName(QByteArray(target, n)) == slavePath_) {
            ::unlink(link.constData());  // only our own announcement; a newer one stays
        }
        linkPath_.clear();
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

int PtyLine::unreadBytes() const {
    int n = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &n) != 0) {
        return 0;
    }
    return n;
}

}  // namespace tesk::vmodem
