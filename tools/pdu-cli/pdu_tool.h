#pragma once
// The PDU tool as a function, so the SMS command line can offer it as a subcommand without a
// second copy. Needs a QCoreApplication only for what Qt itself wants of one.
#include <QStringList>

// `arguments` as QCoreApplication::arguments() gives them: the program name first (it is
// skipped). Prints to stdout/stderr and returns the exit status (0 printed, 1 message file
// unreadable, 2 usage error or invalid number).
int Run_Pdu_Tool(const QStringList& arguments);
