#include "support/pty_client.h"

#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace tesk::test {

PtyClient::PtyClient(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd_, TCSANOW, &t);
}

PtyClient::~PtyClient() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool PtyClient::write(const QByteArray& bytes) {
    return fd_ >= 0 && ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

template <typename Done>
QByteArray PtyClient::collect(int limitMs, Done done) {
    QByteArray data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (fd_ >= 0 && !done(data)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(left.count())) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        data.append(buffer, n);
    }
    return data;
}

bool EndsWithFinalResult(const QByteArray& data) {
    static const QRegularExpression kFinal(QStringLiteral(
        "(\\r\\n(OK|ERROR|NO CARRIER|COMMAND NOT SUPPORT|\\+CMS ERROR: [^\\r\\n]*|\\+CME "
        "ERROR: [^\\r\\n]*)\\r\\n|> )$"));
    return kFinal.match(QString::fromLatin1(data)).hasMatch();
}

QByteArray PtyClient::readAnswer(int limitMs) {
    return collect(limitMs, [](const QByteArray& d) { return EndsWithFinalResult(d); });
}

QByteArray PtyClient::readUntil(const QByteArray& marker, int limitMs) {
    return collect(limitMs, [&](const QByteArray& d) { return d.contains(marker); });
}

QByteArray PtyClient::readSize(qsizetype size, int limitMs) {
    return collect(limitMs, [&](const QByteArray& d) { return d.size() >= size; });
}

QByteArray PtyClient::readFor(int limitMs) {
    return collect(limitMs, [](const QByteArray&) { return false; });
}

QByteArray PtyClient::exchange(const QByteArray& command, int limitMs) {
    write(command);
    return readAnswer(limitMs);
}

int PtyClient::readOnceAfterHangUp(int limitMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, limitMs) == 0) {
        return 2;
    }
    char buffer[64];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    return n < 0 ? -errno : (n == 0 ? 0 : 1);
}

}  // namespace tesk::test
