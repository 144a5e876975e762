#pragma once
// The pseudo-terminal behind a virtual modem and its announcement symlink.
// The modem keeps a descriptor on its own slave side open for its whole life: without it the
// master sees a hang-up every time a client closes the port, and a client that reopens would
// find a dead line.
#include <QString>

namespace tesk::vmodem {

class PtyLine {
  public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens a master, puts the slave in raw mode (8N1, no echo, no CR/LF translation) and, when
    // `link` is not empty, points that symlink at the slave, replacing a stale one.
    bool open(const QString& link, QString* error);
    // Closes both sides (clients then read end-of-file or EIO) and removes the symlink if it
    // still points at this line. Safe to call twice.
    void close();

    int master() const { return master_; }
    QString slavePath() const { return slavePath_; }
    QString linkPath() const { return linkPath_; }
    // Bytes written by the modem that no client has read yet.
    int unreadBytes() const;

  private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
};

// mkdir -p where every folder created gets mode 0700.
bool MakePrivateDirs(const QString& path, QString* error);

}  // namespace tesk::vmodem
