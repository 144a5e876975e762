#pragma once
// The subcommands of tesk-sms-cli. Each returns the process exit status.
#include "sms-cli/cli_options.h"

#include <QStringList>

namespace tesk::cli {

int Run_Scan_Command(const ScanOptions& options);
int Run_Send_Command(const SendOptions& options);
int Run_Listen_Command(const ListenOptions& options);

// The whole command line, program name first (as QCoreApplication::arguments() gives it).
int Run_Sms_Cli(const QStringList& arguments);

}  // namespace tesk::cli
