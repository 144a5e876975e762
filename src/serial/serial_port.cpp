#include "serial/serial_port.h"

#include <QHash>
#include <QStringDecoder>

#include "core/log.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

void fill(SerialError* error, int code, int bytesRead, int endCode, int systemError) {
    if (!error) {
        return;
    }
    error->code = code;
    error->systemError = systemError;
    error->details.clear();
    error->details.insert(QStringLiteral("bytesRead"), bytesRead);
    if (endCode) {
        error->details.insert(QStringLiteral("endCode"), endCode);
    }
}

void makeRaw(termios& options) {
    cfmakeraw(&options);
    options.c_iflag &= ~(IXON | IXOFF | IXANY);
    options.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    options.c_cflag |= CS8 | CREAD | CLOCAL;
    options.c_cc[VMIN] = 1;
    options.c_cc[VTIME] = 0;
    cfsetispeed(&options, B115200);
    cfsetospeed(&options, B115200);
}

}  // namespace

SerialPort::SerialPort(const QString& path, const QString& name, const QString& type)
    : bsdPath_(path), serviceName_(name), serviceType_(type) {}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open() {
    // Our own claim would refuse a second open of the same line to an ordinary user.
    close();
    // O_NONBLOCK only for the open itself: a blocking open of a modem line waits for carrier.
    const QByteArray path = bsdPath_.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    termios found{};
    if (fcntl(fd, F_SETFL, 0) == -1 || tcgetattr(fd, &found) == -1) {
        ::close(fd);
        return false;
    }
    // Exclusive use: a modem manager service probes every new modem port and would mix its own
    // AT traffic into ours. A driver that refuses the request still gets our commands.
    if (ioctl(fd, TIOCEXCL) == -1) {
        const int error = errno;
        tesk::log::writef("Error setting TIOCEXCL on %s - %s(%d).\n", path.constData(),
                          std::strerror(error), error);
    }
    originalOptions_ = found;
    haveOriginalOptions_ = true;
    options_ = found;
    // Linux leaves a tty in cooked mode with echo, which would bounce every answer back into
    // the modem and turn CR into LF.
    makeRaw(options_);
    if (tcsetattr(fd, TCSANOW, &options_) == -1) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        haveOriginalOptions_ = false;
        return false;
    }
    // Whatever an earlier session left unread (a late answer) belongs to that session.
    tcflush(fd, TCIFLUSH);
    fileDescriptor_ = fd;
    return true;
}

void SerialPort::close() {
    std::lock_guard lock(closeLock_);
    if (fileDescriptor_ < 0) {
        return;
    }
    // Non-blocking first, so putting the settings back never waits on a stuck line.
    fcntl(fileDescriptor_, F_SETFL, fcntl(fileDescriptor_, F_GETFL) | O_NONBLOCK);
    if (haveOriginalOptions_) {
        tcsetattr(fileDescriptor_, TCSANOW, &originalOptions_);
    }
    // The exclusive flag belongs to the tty, not to this descriptor: while anyone else keeps
    // the line open (the far side of a virtual modem, another program) it would outlive us and
    // lock every later open by an ordinary user out, ours included.
    ioctl(fileDescriptor_, TIOCNXCL);
    ::close(fileDescriptor_);
    fileDescriptor_ = -1;
    haveOriginalOptions_ = false;
}

QByteArray SerialPort::readAndStopAfterBytes(bool stopAfterBytes, int bytes, bool stopAtChar,
                                             char stopChar, SerialError* error,
                                             const CompleteTest& complete) {
    const auto start = Clock::now();
    double left = readTimeout_;
    int held = 0;
    int code = SerialErrorTimeout;
    int endCode = 0;
    int systemError = 0;
    const int limit = stopAfterBytes ? std::min(std::max(bytes, 0), kBufferSize) : kBufferSize;

    while (true) {
        if (left <= 0 || fileDescriptor_ < 0) {
            code = fileDescriptor_ < 0 ? SerialErrorSystem : SerialErrorTimeout;
            break;
        }
        double whole = 0;
        const double fraction = std::modf(left, &whole);
        timeval wait{static_cast<time_t>(whole),
                     static_cast<suseconds_t>(std::lround(fraction * 1e6))};
        if (wait.tv_usec >= 1000000) {
            wait.tv_sec += 1;
            wait.tv_usec -= 1000000;
        }
        if (wait.tv_sec == 0 && wait.tv_usec == 0) {
            wait.tv_usec = 1;
        }
        fd_set readfds;
        FD_ZERO(&readfds);
        FD_SET(fileDescriptor_, &readfds);
        const int ready = select(fileDescriptor_ + 1, &readfds, nullptr, nullptr, &wait);
        if (ready < 0 && errno == EINTR) {
            left = readTimeout_ - std::chrono::duration<double>(Clock::now() - start).count();
            continue;
        }
        if (ready < 0) {
            code = SerialErrorSystem;
            systemError = errno;
            break;
        }
        if (ready == 0) {
            code = SerialErrorTimeout;
            break;
        }
        const ssize_t got = ::read(fileDescriptor_, buffer_ + held, limit - held);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            code = SerialErrorSystem;
            systemError = got < 0 ? errno : 0;
            break;
        }
        held += static_cast<int>(got);
        if (stopAfterBytes && held >= bytes) {
            endCode = held == bytes ? SerialEndExactBytes : SerialEndMoreBytes;
            break;
        }
        if (stopAtChar && buffer_[held - 1] == stopChar) {
            endCode = SerialEndAtChar;
            break;
        }
        if (complete && complete(QByteArray::fromRawData(buffer_, held))) {
            endCode = SerialEndAnswerComplete;
            break;
        }
        if (held > kBufferSize - 1) {
            code = SerialErrorBufferFull;
            break;
        }
        left = readTimeout_ - std::chrono::duration<double>(Clock::now() - start).count();
    }
    if (endCode) {
        code = SerialErrorNone;
    }
    fill(error, code, held, endCode, systemError);
    if (held == 0 || code == SerialErrorSystem) {
        return {};
    }
    return QByteArray(buffer_, held);
}

QByteArray SerialPort::readAndReturnError(SerialError* error) {
    return readAndStopAfterBytes(false, 0, false, 0, error);
}

QByteArray SerialPort::readBytes(int bytes, SerialError* error) {
    return readAndStopAfterBytes(true, bytes, false, 0, error);
}

QByteArray SerialPort::readUpToChar(char stopChar, SerialError* error) {
    return readAndStopAfterBytes(false, 0, true, stopChar, error);
}

QByteArray SerialPort::readBytes(int bytes, char upToChar, SerialError* error) {
    return readAndStopAfterBytes(true, bytes, true, upToChar, error);
}

QByteArray SerialPort::readUntilComplete(const CompleteTest& complete, SerialError* error) {
    return readAndStopAfterBytes(false, 0, false, 0, error, complete);
}

QString SerialPort::readStringUsingEncoding(Encoding encoding, SerialError* error,
                                            const CompleteTest& complete) {
    const QByteArray bytes = readAndStopAfterBytes(false, 0, false, 0, error, complete);
    if (bytes.isEmpty()) {
        return {};
    }
    if (encoding == Encoding::Latin1) {
        return QString::fromLatin1(bytes);
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    // An undecodable answer is no answer at all, not a text with replacement characters.
    if (decoder.hasError()) {
        return {};
    }
    return text;
}

bool SerialPort::writeData(const QByteArray& data, SerialError* error) {
    return writeBytes(data.constData(), static_cast<int>(data.size()), error);
}

bool SerialPort::writeString(const QString& text, Encoding encoding, SerialError* error) {
    const QByteArray bytes = encoding == Encoding::Latin1 ? text.toLatin1() : text.toUtf8();
    return writeData(bytes, error);
}

bool SerialPort::writeBytes(const char* bytes, int length, SerialError* error) {
    int code = SerialErrorNone;
    int systemError = 0;
    ssize_t written = 0;
    if (!bytes || length <= 0) {
        code = SerialErrorNothingToWrite;
    } else if (fileDescriptor_ < 0) {
        code = SerialErrorSystem;
        systemError = EBADF;
    } else {
        do {
            written = ::write(fileDescriptor_, bytes, length);
        } while (written < 0 && errno == EINTR);
        if (written < 0) {
            code = SerialErrorSystem;
            systemError = errno;
            written = 0;
        } else if (written < length) {
            code = SerialErrorPartialWrite;
        }
    }
    if (error) {
        error->code = code;
        error->systemError = systemError;
        error->details.clear();
        if (written > 0) {
            error->details.insert(QStringLiteral("bytesWritten"), static_cast<qlonglong>(written));
        }
    }
    return code == SerialErrorNone;
}

QString SerialPort::description() const {
    const QString handle = fileDescriptor_ >= 0
                               ? QStringLiteral("<FileHandle: fd %1>").arg(fileDescriptor_)
                               : QStringLiteral("(null)");
    return QStringLiteral(
               "<%1: address: %2, name: %3, path: %4, type: %5, fileHandle: %6, "
               "fileDescriptor: %7>")
        .arg(QStringLiteral("SerialPort"),
             QStringLiteral("0x") + QString::number(reinterpret_cast<quintptr>(this), 16),
             serviceName_, bsdPath_, serviceType_, handle, QString::number(fileDescriptor_));
}

size_t qHash(const SerialPort& port, size_t seed) {
    return qHash(port.bsdPath(), seed);
}
