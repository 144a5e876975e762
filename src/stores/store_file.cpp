#include "stores/store_file.h"

#include "appcore/data_paths.h"
#include "core/log.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesk::stores {

QByteArray Store_File_Bytes(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return text.startsWith(QChar(0xFEFF)) ? QByteArray("\xEF\xBB\xBF") + bytes : bytes;
}

namespace {

std::mutex& appendLock() {
    static std::mutex lock;
    return lock;
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void logFailure(const char* what, const QString& path) {
    Show_NSLog_Message(
        QStringLiteral("%1 %2 : %3")
            .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(errno))));
}

}  // namespace

bool Append_Store_Record(const QString& path, const QByteArray& record) {
    const QByteArray name = QFile::encodeName(path);
    std::lock_guard guard(appendLock());
    const int fd =
        ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0) {
        logFailure("Append: cannot open", path);
        return false;
    }
    // One write for the whole record: with O_APPEND the kernel places it at the end in one
    // piece, and the lock keeps this process's other writers out until it is complete.
    const bool written = writeAll(fd, record.constData(), record.size());
    if (!written) {
        logFailure("Append: cannot write", path);
    }
    return ::close(fd) == 0 && written;
}

bool Rewrite_Store_File(const QString& path, const QByteArray& contents) {
    const QFileInfo target(path);
    // The temporary file is created 0600 beside the target, so the rename stays on one file
    // system and is atomic.
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        Show_NSLog_Message(QStringLiteral("Rewrite: cannot create a file beside ") + path +
                           QStringLiteral(" : ") + temporary.errorString());
        return false;
    }
    if (temporary.write(contents) != contents.size() || !temporary.flush() ||
        ::fsync(temporary.handle()) != 0) {
        Show_NSLog_Message(QStringLiteral("Rewrite: cannot write ") + temporary.fileName() +
                           QStringLiteral(" : ") + temporary.errorString());
        return false;
    }
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (::rename(from.constData(), to.constData()) != 0) {
        logFailure("Rewrite: cannot replace", path);
        return false;
    }
    temporary.setAutoRemove(false);  // it has become the store file
    // The rename itself reaches the disk with the folder's entry.
    const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

}  // namespace tesk::stores
