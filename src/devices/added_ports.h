#pragma once
// Serial device paths the user added by hand in the device window: ports the search does not
// look at by itself (an on-board UART such as /dev/ttyS1 or /dev/ttyAMA0, a GSM add-on board, a
// port with an unusual driver). They are remembered between runs in a small file of the data
// directory, one path per line (UTF-8), rewritten atomically and private like the other stores.
#include <QString>
#include <QStringList>

#include <utility>

namespace tesk::devices {

// The file in the data directory; "" while the data paths are not set (nothing is remembered).
QString Default_Added_Ports_File();

class AddedPorts {
  public:
    explicit AddedPorts(QString file) : file_(std::move(file)) {}

    // The remembered paths, in the order they were added (read from the file each time, so
    // another window's change shows at once).
    QStringList paths() const;

    // Checks a typed path and remembers it. A refusal says why in *why (a text for the user):
    // not a full path, nothing there, or not a character device. A path already remembered is
    // accepted without a second line. False with "Error in file accessing." when the file
    // cannot be rewritten (the old one is kept).
    bool add(const QString& typed, QString* why);
    // Forgets a path; false when it was not remembered or the file cannot be rewritten.
    bool remove(const QString& path);

  private:
    bool write(const QStringList& paths) const;
    QString file_;
};

// `found` followed by every path of `added` whose device (symlinks resolved) is not already in
// `found`: the ports one scan looks at.
QStringList Ports_To_Scan(const QStringList& found, const QStringList& added);

}  // namespace tesk::devices
