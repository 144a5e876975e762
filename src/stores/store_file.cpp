#include "stores/store_file.h"

#include "appstate/data_paths.h"
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

namespace {

const QByteArray kMark("\xEF\xBB\xBF");

}  // namespace

QByteArray Store_File_Bytes(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return text.startsWith(QChar(0xFEFF)) ? kMark + bytes : bytes;
}

QByteArray Read_Store_File(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

StoreLines::StoreLines(const QByteArray& bytes) : bytes_(bytes) {
    mark_ = bytes.startsWith(kMark);
    qsizetype from = mark_ ? kMark.size() : 0;
    starts_.append(from);
    while ((from = bytes.indexOf('\n', from)) >= 0) {
        starts_.append(++from);
    }
}

QByteArrayView StoreLines::line(qsizetype i) const {
    const qsizetype end = i + 1 < starts_.size() ? starts_.at(i + 1) - 1 : bytes_.size();
    return bytes_.sliced(starts_.at(i), end - starts_.at(i));
}

QByteArray Join_Store_Lines(const QList<QByteArrayView>& lines, bool mark) {
    qsizetype size = kMark.size() + lines.size();
    for (const QByteArrayView line : lines) {
        size += line.size();
    }
    QByteArray bytes;
    bytes.reserve(size);
    if (mark || (!lines.isEmpty() && lines.first().startsWith(kMark))) {
        bytes += kMark;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            bytes += '\n';
        }
        bytes += lines.at(i);
    }
    return bytes;
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

bool Rewrite_Store_File_Keeping_Appends(const QString& path, const QByteArray& read,
                                        const QByteArray& contents) {
    // Under the append lock, so that no record lands between the look at the file and the
    // rename that replaces it.
    std::lock_guard guard(appendLock());
    const QByteArray now = Read_Store_File(path);
    if (now.size() > read.size() && now.startsWith(read)) {
        return Rewrite_Store_File(path, contents + now.sliced(read.size()));
    }
    return Rewrite_Store_File(path, contents);
}

}  // namespace tesk::stores
