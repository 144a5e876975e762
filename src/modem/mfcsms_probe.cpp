// Finding modems, probing a port with modem line settings, and the device scan loop.
#include "core/dialogs.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"
#include "serial/modem_ports.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

int baudOf(speed_t speed) {
    switch (speed) {
        case B0:
            return 0;
        case B300:
            return 300;
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        case B460800:
            return 460800;
        case B921600:
            return 921600;
        default:
            return static_cast<int>(speed);
    }
}

void logFailure(const char* format, const char* path) {
    const int error = errno;
    tesk::log::writef(format, path, std::strerror(error), error);
}

// The call-out path of one service, copied into the caller's buffer.
bool calloutPath(ModemIterator& iterator, char* buffer, size_t size, int number, QString* path) {
    if (!iterator.next(path)) {
        return false;
    }
    const QByteArray utf8 = path->toUtf8();
    if (!buffer || size == 0 || static_cast<size_t>(utf8.size()) >= size) {
        tesk::log::writef("error CFStringGetCString: %s\n", utf8.constData());
        path->clear();
        return true;
    }
    std::memcpy(buffer, utf8.constData(), utf8.size() + 1);
    tesk::log::writef("modem %d: %s\n", number, buffer);
    return true;
}

}  // namespace

bool ModemIterator::next(QString* path) {
    if (index_ >= paths_.size()) {
        return false;
    }
    *path = paths_.at(index_++);
    return true;
}

int MFCSMS::FindModems(ModemIterator* iterator) {
    if (!iterator) {
        tesk::log::writef("IOServiceGetMatchingServices returned %d\n", -1);
        return -1;
    }
    *iterator = ModemIterator(tesk::Find_Modem_Port_Paths());
    return 0;
}

int MFCSMS::OpenSerialPort(const char* path) {
    m_port_name = QString::fromUtf8(path);
    lastOpenError_ = 0;
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1) {
        lastOpenError_ = errno;
        logFailure("Error opening serial port %s - %s(%d).\n", path);
        return -1;
    }
    auto fail = [&](const char* format) {
        logFailure(format, path);
        ::close(fd);
        return -1;
    };
    if (ioctl(fd, TIOCEXCL) == -1) {
        // The kernel's WWAN AT ports keep line settings but know no exclusive use; anything
        // else that is no terminal fails at the line settings below.
        if (errno != ENOTTY) {
            return fail("Error setting TIOCEXCL on %s - %s(%d).\n");
        }
        logFailure("Error setting TIOCEXCL on %s - %s(%d).\n", path);
    }
    if (fcntl(fd, F_SETFL, 0) == -1) {
        return fail("Error clearing O_NONBLOCK %s - %s(%d).\n");
    }
    termios found{};
    if (tcgetattr(fd, &found) == -1) {
        return fail("Error getting tty attributes %s - %s(%d).\n");
    }
    savedLineSettings_[fd] = found;
    tesk::log::writef("Current input baud rate is %d\n", baudOf(cfgetispeed(&found)));
    tesk::log::writef("Current output baud rate is %d\n", baudOf(cfgetospeed(&found)));

    // Raw mode, reads block for one byte or one second, 19200 baud; adding CS7 onto the CS8 of
    // raw mode leaves 8 data bits, so the frame is 8 bits, even parity, RTS/CTS flow control.
    termios modem = found;
    cfmakeraw(&modem);
    modem.c_cc[VMIN] = 1;
    modem.c_cc[VTIME] = 10;
    cfsetspeed(&modem, B19200);
    modem.c_cflag |= CS7 | PARENB | CRTSCTS;
    tesk::log::writef("Input baud rate changed to %d\n", baudOf(cfgetispeed(&modem)));
    tesk::log::writef("Output baud rate changed to %d\n", baudOf(cfgetospeed(&modem)));
    if (tcsetattr(fd, TCSANOW, &modem) == -1) {
        savedLineSettings_.erase(fd);
        return fail("Error setting tty attributes %s - %s(%d).\n");
    }
    // Modem lines: a pseudo-terminal refuses these; each failure is logged and passed over.
    int dtr = TIOCM_DTR;
    if (ioctl(fd, TIOCMBIS, &dtr) == -1) {
        logFailure("Error asserting DTR %s - %s(%d).\n", path);
    }
    if (ioctl(fd, TIOCMBIC, &dtr) == -1) {
        logFailure("Error clearing DTR %s - %s(%d).\n", path);
    }
    int lines = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR;
    if (ioctl(fd, TIOCMSET, &lines) == -1) {
        logFailure("Error setting handshake lines %s - %s(%d).\n", path);
    }
    if (ioctl(fd, TIOCMGET, &lines) == -1) {
        logFailure("Error getting handshake lines %s - %s(%d).\n", path);
    } else {
        tesk::log::writef("Handshake lines currently set to %d\n", lines);
    }
    tesk::log::writef("port open with fileDescriptor(%d).\n", fd);
    return fd;
}

void MFCSMS::CloseSerialPort(int fileDescriptor) {
    if (fileDescriptor < 0) {
        return;
    }
    std::lock_guard lock(closeLock);
    fcntl(fileDescriptor, F_SETFL, fcntl(fileDescriptor, F_GETFL) | O_NONBLOCK);
    if (tcdrain(fileDescriptor) == -1) {
        tesk::log::writef("Error waiting for drain - %s(%d).\n", std::strerror(errno), errno);
    }
    const auto saved = savedLineSettings_.find(fileDescriptor);
    if (saved != savedLineSettings_.end()) {
        if (tcsetattr(fileDescriptor, TCSANOW, &saved->second) == -1) {
            tesk::log::writef("Error resetting tty attributes - %s(%d).\n", std::strerror(errno),
                              errno);
        }
        savedLineSettings_.erase(saved);
    }
    // The exclusive flag belongs to the tty, not to this descriptor: when anyone else still has
    // the line open (another program, or the far side of a virtual modem) it would outlive the
    // probe and lock every later open out, ours included.
    ioctl(fileDescriptor, TIOCNXCL);
    ::close(fileDescriptor);
}

// The modem paths the iterator lists, counted (the scan's progress range).
int MFCSMS::countModemPaths(ModemIterator& iterator, char* path, size_t pathSize) {
    iterator.rewind();
    int count = 0;
    QString found;
    for (int number = 1; calloutPath(iterator, path, pathSize, number, &found); ++number) {
        count += found.isEmpty() ? 0 : 1;
    }
    tesk::log::writef("tot modem: %d\n", count);
    return count;
}

// Opens a probed path for the questions (or takes the port still open); its descriptor.
int MFCSMS::openForQuestions(const char* path) {
    int fd = -1;
    if (port && port->isOpen()) {
        Show_MessageBox(QStringLiteral("port not initialized."));
        fd = port->fileDescriptor();
    } else {
        initPort_with_decp(path, &fd);
        Set_Read_Timeout(1.0);
    }
    return fd;
}

// True when the device can send SMS and is not listed yet: a device that offers several modem
// ports is listed once, under its first port.
bool MFCSMS::isNewSmsDevice(int fileDescriptor, const QString& found) {
    if (!Check_Msg_Sending_Supported(fileDescriptor)) {
        Show_NSLog_Message(QStringLiteral("msg sending support fail"));
        return false;
    }
    const QString imei = Get_IMEI_Number(fileDescriptor);
    Show_NSLog_Message(QStringLiteral("IMEI : %1").arg(imei));
    return !imei.isEmpty() && !Find_IMEI_already_listed(imei, found);
}

// Lists the device under a placeholder row, asks for its facts and modes, and replaces the
// placeholder with the full record.
void MFCSMS::questionDevice(int fileDescriptor, const QString& found, const char* path,
                            ModemScanListener& scan) {
    const QString portName = Trim_Str(tesk::Modem_Port_Name(found));
    if (!portName.isEmpty()) {
        DeviceRecord placeholder;
        placeholder.portName = portName;
        placeholder.path = found;
        Device_List().Insert_port_in_List(placeholder);
        scan.modemFound(found);
    }
    tesk::log::writef("Modem found with BSD path: %s\n", path);
    Reset_Device_Facts();
    sms_capblts = QStringLiteral("Yes");
    Com_Port = portName;
    Port_Det = found;

    Read_Ph_Values_NEW(fileDescriptor);
    switch (PDU_or_Text_SMS(fileDescriptor)) {
        case 1:
            sms_mode = QStringLiteral("PDU Mode");
            sup_sms_mode = QStringLiteral(";PDU Mode;");
            break;
        case 2:
            sms_mode = QStringLiteral("Text Mode");
            sup_sms_mode = QStringLiteral(";Text Mode;");
            break;
        case 3:
            sms_mode = QStringLiteral("PDU Mode");
            sup_sms_mode = QStringLiteral(";PDU Mode;Text Mode;");
            break;
        default:
            sms_mode = QStringLiteral("NONE");
            sup_sms_mode = QStringLiteral("NONE");
            break;
    }
    if (Device_List().Replace_By_Port_Detail(Device_Record_From_Facts())) {
        scan.deviceQuestioned(found);
    }
}

int MFCSMS::GetModemPath(ModemIterator& iterator, char* path, size_t pathSize,
                         ModemScanListener* listener) {
    ModemScanListener quiet;
    ModemScanListener& scan = listener ? *listener : quiet;
    try {
        const int count = countModemPaths(iterator, path, pathSize);
        Close_Port();
        scan.setProgressRange(count);
        iterator.rewind();

        QString found;
        for (int number = 1; calloutPath(iterator, path, pathSize, number, &found); ++number) {
            if (found.isEmpty()) {
                continue;
            }
            const int probe = OpenSerialPort(path);
            if (probe == -1) {
                if (lastOpenError_ != 0) {
                    scan.portRefused(found, lastOpenError_);
                }
                continue;
            }
            CloseSerialPort(probe);
            scan.advanceProgress();

            const int fd = openForQuestions(path);
            ATZ_reset_Modem(fd);
            if (!isNewSmsDevice(fd, found)) {
                Close_Port();
                continue;
            }
            questionDevice(fd, found, path, scan);
            Close_Port();
            if (scan.stopRequested()) {
                break;
            }
        }
        scan.progressToEnd();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("GetModemPath exception catch"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        Close_Port();
        return -1;
    }
    return 0;
}
