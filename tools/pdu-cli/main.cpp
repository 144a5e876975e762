// tesk-sms-pdu: prints the SMS-SUBMIT PDUs that PDU-mode sending would hand a modem, one line
// per part, so a modem can be tried by hand (AT+CMGF=0, then AT+CMGS=<length>, the PDU, Ctrl-Z).
#include "pdu-cli/pdu_tool.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return Run_Pdu_Tool(app.arguments());
}
