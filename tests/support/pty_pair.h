#pragma once
// A bare pseudo-terminal for serial tests: the test plays the device on the master side while
// the code under test opens the slave path like any serial device.
#include <QByteArray>
#include <QString>

namespace tesk::test {

class PtyPair {
  public:
    PtyPair();  // fails the current test when no pseudo-terminal can be made
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    QString slavePath() const { return slavePath_; }
    int master() const { return master_; }

    // Writes every byte to the device side (blocking until the line takes them).
    void send(const QByteArray& bytes);
    // Collects what the program wrote, until nothing more comes for idleMs.
    QByteArray receive(int idleMs = 100);
    // The device goes away: the program's next read sees the line drop.
    void hangUp();

  private:
    int master_ = -1;
    int keepSlave_ = -1;  // keeps the line up between the program's opens
    QString slavePath_;
};

}  // namespace tesk::test
