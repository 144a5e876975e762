#pragma once
// What recipients answered: the messages the devices received, kept in "Inbox.VORN" in the data
// folder (one record per message, appended with one write), and the opt-out they may carry.
// A reply that is one of the stop words puts its sender on the exclusion list "Opt-outs",
// which is created on first use and applied, so the next runs leave the number out through the
// ordinary exclusion rules.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

namespace tesk::delivery {

struct InboxMessage {
    QDateTime receivedAt;  // when the program read it
    QString device;
    QString sender;
    QDateTime sentAt;  // the service centre's time stamp
    QString text;
    bool optOut = false;  // the text was a stop word and the sender was excluded
};

inline const QString kOptOutListName = QStringLiteral("Opt-outs");

// The stop words in force: the lines of "StopWords.VORN" when the user keeps one, else STOP,
// STOPALL, UNSUBSCRIBE, CANCEL, END and QUIT.
QStringList Stop_Words();
QStringList Default_Stop_Words();
bool Save_Stop_Words(const QStringList& words);
// True when the text, with case, white space and closing punctuation ignored, is one of the
// words ("Stop", " s t o p ", "STOP!" all are).
bool Is_Stop_Word(const QString& text, const QStringList& words);

// Puts the numbers on the "Opt-outs" exclusion list (created and applied on first use), each
// once. False when a file could not be written.
bool Add_Opt_Outs(const QStringList& numbers);

class Inbox {
  public:
    explicit Inbox(QString path);
    // The inbox of the data folder (a new one when the data folder changed since).
    static std::shared_ptr<Inbox> Shared();
    const QString& path() const { return path_; }
    static QString Default_File();

    // Appends the message (one write). False when it could not be stored: the caller must
    // then leave it on the device, to be read again.
    bool Store(const InboxMessage& message);
    // Every stored message, oldest first (read from the file, so another run's are there too).
    QList<InboxMessage> Messages() const;

  private:
    QString path_;
    mutable std::mutex mutex_;
};

}  // namespace tesk::delivery
