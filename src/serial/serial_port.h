#pragma once
// One serial device node over POSIX termios: open, close, a synchronous read with a time-out
// and optional stop conditions, whole-buffer writes. Failures come back as codes, never thrown.
//
// One port is used by one thread at a time; close() may be called from another thread while no
// read is in progress (closeLock serialises closers).
#include "serial/serial_error.h"

#include <QByteArray>
#include <QString>

#include <termios.h>

#include <functional>
#include <mutex>

// Receives background-read callbacks. Nothing in the program starts a background reader, so
// the channel that owns a port registers itself only to keep the relation explicit.
class SerialPortDelegate {
  public:
    virtual ~SerialPortDelegate() = default;
};

class SerialPort {
  public:
    static constexpr int kBufferSize = 4096;

    enum class Encoding { Utf8, Latin1 };
    // Tells whether the bytes held so far form a complete answer; ends the read early.
    using CompleteTest = std::function<bool(const QByteArray& held)>;

    SerialPort(const QString& path, const QString& name, const QString& type);
    ~SerialPort();  // closes the device when the owner forgot to
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Not owned: the delegate usually owns the port.
    void setDelegate(SerialPortDelegate* delegate) { delegate_ = delegate; }
    SerialPortDelegate* delegate() const { return delegate_; }

    // Opens read-write without a controlling terminal, claims exclusive use of the line
    // (TIOCEXCL: other opens by ordinary users fail with EBUSY; a refusal is logged and the
    // port used anyway), saves the line settings found there and puts the line in raw mode
    // (8N1, no echo, no translation, 115200 baud). An open port is closed first.
    bool open();
    bool isOpen() const { return fileDescriptor_ >= 0; }
    // Puts the saved line settings back, gives up the exclusive use and closes the descriptor.
    void close();

    const QString& bsdPath() const { return bsdPath_; }
    const QString& serviceName() const { return serviceName_; }
    const QString& serviceType() const { return serviceType_; }
    int fileDescriptor() const { return fileDescriptor_; }

    void setReadTimeout(double seconds) { readTimeout_ = seconds; }
    double readTimeout() const { return readTimeout_; }

    // The synchronous read every other read is made of. Without stop conditions it lasts the
    // whole time-out and returns everything that arrived meanwhile.
    QByteArray readAndStopAfterBytes(bool stopAfterBytes, int bytes, bool stopAtChar, char stopChar,
                                     SerialError* error = nullptr,
                                     const CompleteTest& complete = {});
    QByteArray readAndReturnError(SerialError* error = nullptr);
    QByteArray readBytes(int bytes, SerialError* error = nullptr);
    QByteArray readUpToChar(char stopChar, SerialError* error = nullptr);
    QByteArray readBytes(int bytes, char upToChar, SerialError* error = nullptr);
    // As readAndReturnError, ending early once `complete` accepts the bytes held.
    QByteArray readUntilComplete(const CompleteTest& complete, SerialError* error = nullptr);

    // Null when nothing arrived or the bytes are not valid in the encoding.
    QString readStringUsingEncoding(Encoding encoding, SerialError* error = nullptr,
                                    const CompleteTest& complete = {});

    // One write call with the whole buffer; true only when every byte went out.
    bool writeData(const QByteArray& data, SerialError* error = nullptr);
    bool writeString(const QString& text, Encoding encoding, SerialError* error = nullptr);
    bool writeBytes(const char* bytes, int length, SerialError* error = nullptr);

    QString description() const;

    bool operator==(const SerialPort& other) const { return bsdPath_ == other.bsdPath_; }

  private:
    QString bsdPath_;
    QString serviceName_;
    QString serviceType_;
    int fileDescriptor_ = -1;
    termios options_{};
    termios originalOptions_{};
    bool haveOriginalOptions_ = false;
    double readTimeout_ = 0;
    char buffer_[kBufferSize];
    SerialPortDelegate* delegate_ = nullptr;
    std::mutex closeLock_;
};

size_t qHash(const SerialPort& port, size_t seed = 0);

template <>
struct std::hash<SerialPort> {
    size_t operator()(const SerialPort& port) const noexcept { return qHash(port); }
};
