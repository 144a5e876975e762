#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

namespace tesk::test {

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: " << strerror(errno);
        return;
    }
    char name[128] = {};
    ptsname_r(master_, name, sizeof name);
    slavePath_ = QString::fromLocal8Bit(name);
    keepSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    tcgetattr(keepSlave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(keepSlave_, TCSANOW, &raw);
}

PtyPair::~PtyPair() {
    if (keepSlave_ >= 0) {
        ::close(keepSlave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

void PtyPair::hangUp() {
    if (keepSlave_ >= 0) {
        ::close(keepSlave_);
        keepSlave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyPair::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ADD_FAILURE() << "write to pseudo-terminal master failed: " << strerror(errno);
            return;
        }
        done += n;
    }
}

QByteArray PtyPair::receive(int idleMs) {
    QByteArray got;
    pollfd p{master_, POLLIN, 0};
    while (poll(&p, 1, idleMs) > 0 && (p.revents & POLLIN)) {
        char chunk[1024];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        got.append(chunk, n);
    }
    return got;
}

}  // namespace tesk::test
