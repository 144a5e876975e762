#pragma once
// The client side of a virtual modem in tests: the port opened the way a program opens a
// serial line (POSIX open, raw termios), with reads bounded by a limit rather than timed.
#include <QByteArray>
#include <QString>

#include <unistd.h>

namespace tesk::test {

class PtyClient {
  public:
    explicit PtyClient(const QString& path);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(const QByteArray& bytes);

    // Collects bytes until the collected data ends with a final result line or the "> "
    // prompt; gives up after limitMs and returns what came.
    QByteArray readAnswer(int limitMs = 5000);
    // Collects bytes until `marker` has arrived.
    QByteArray readUntil(const QByteArray& marker, int limitMs = 5000);
    // Collects bytes until at least `size` have arrived.
    QByteArray readSize(qsizetype size, int limitMs = 5000);
    // Everything that arrives within limitMs (used to show that nothing comes).
    QByteArray readFor(int limitMs);
    // Writes and reads the answer.
    QByteArray exchange(const QByteArray& command, int limitMs = 5000);

    // One read once the line should be gone: 0 (end of file) or -errno; 1 when data came
    // instead, 2 when nothing at all happened within limitMs.
    int readOnceAfterHangUp(int limitMs = 5000);

  private:
    template <typename Done>
    QByteArray collect(int limitMs, Done done);
    int fd_ = -1;
};

// Polls `condition` until it holds or limitMs passed.
template <typename Condition>
bool WaitFor(Condition condition, int limitMs = 5000) {
    for (int waited = 0; !condition(); waited += 5) {
        if (waited >= limitMs) {
            return false;
        }
        ::usleep(5000);
    }
    return true;
}

// True when the data ends with something a modem ends an answer with.
bool EndsWithFinalResult(const QByteArray& data);

}  // namespace tesk::test
