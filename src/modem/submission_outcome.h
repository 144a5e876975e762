#pragma once
// What became of one message handed to a modem, as a value; the words users read are made
// from it only where it is stored or shown.
#include <QList>
#include <QString>

namespace tesk::modem {

struct SubmissionOutcome {
    enum class Kind {
        Sent,      // the device accepted every part
        Refused,   // the device refused a part (before its prompt or after its body)
        NoAnswer,  // the device said nothing to a part, or the line was lost
        Stopped,   // the run was stopped between parts
    };
    Kind kind = Kind::Sent;
    QList<int> references;  // message references of the accepted parts, when the device gave them
    QString refusal;        // the device's final result line, for Refused
    int partsSent = 0;      // parts the device accepted
    int partsTotal = 1;
};

inline const QString kSentText = QStringLiteral("Message sent successfully.");
inline const QString kSentToDeviceText = QStringLiteral("Message sent to device.");
inline const QString kConnectionErrorText = QStringLiteral("Device Connection Error!");
inline const QString kGenericRefusalText = QStringLiteral("+CMS ERROR:500");

// The outcome text stored with the message: the acceptance words (the softer ones when the
// device's SMS capability is "Not Detected"), the device's +CMS/+CME error, "+CMS ERROR:500" for
// any other refusal (ERROR, COMMAND NOT SUPPORT), "Device Connection Error!", or the words of a
// stopped long message.
QString Outcome_Text(const SubmissionOutcome& outcome, const QString& smsCapable);

}  // namespace tesk::modem
