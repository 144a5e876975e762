#pragma once
// What the network sends to the modem, built the way a service centre builds it: SMS-DELIVER
// (3GPP TS 23.040 9.2.2.1), in concatenated parts when the text needs them, and
// SMS-STATUS-REPORT (9.2.2.3), plus their text-mode forms (3GPP TS 27.005 3.4.1). Written for
// the modem alone: it shares nothing with the program's own PDU codec, which it is there to
// test.
#include "virtual-modem/virtual_modem.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace tesk::vmodem {

// One SMS-DELIVER PDU, with what text mode shows of it.
struct DeliverPart {
    QString pdu;  // hex, service-centre field first
    int tpduOctets = 0;
    QString sender;
    QDateTime centreTime;
    QString text;       // this part's text
    bool wide = false;  // not GSM 7-bit: text mode under UCS2 shows it as hex
};

// The parts of a message; `reference` is used when it takes more than one.
QList<DeliverPart> EncodeDeliver(const IncomingSms& sms, const QString& serviceCentre,
                                 const QDateTime& centreTime, int reference);

struct StatusReportPdu {
    QString pdu;  // hex, service-centre field first
    int tpduOctets = 0;
    QString textFields;  // "<fo>,<mr>,"<ra>",<tora>,"<scts>","<dt>",<st>"
};

StatusReportPdu EncodeStatusReport(const QString& serviceCentre, int reference,
                                   const QString& recipient, const QDateTime& submitted,
                                   const QDateTime& discharged, int status);

// "yy/MM/dd,hh:mm:ss±zz", the zone in quarter hours.
QString TextModeTime(const QDateTime& when);

}  // namespace tesk::vmodem
