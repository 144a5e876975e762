#include "pdu-cli/pdu_tool.h"
#include "sms-cli/cli_commands.h"

#include <cstdio>

namespace tesk::cli {
namespace {

int usageError(const char* command, const QString& why) {
    std::fprintf(stderr, "tesk-sms-cli%s%s: %s\n", command[0] ? " " : "", command, qPrintable(why));
    std::fprintf(stderr, "Try 'tesk-sms-cli%s%s --help'.\n", command[0] ? " " : "", command);
    return kExitUsage;
}

}  // namespace

int Run_Sms_Cli(const QStringList& arguments) {
    const QString command = arguments.value(1);
    const QStringList rest = arguments.mid(2);
    if (command.isEmpty()) {
        std::fputs(kMainUsage, stderr);
        return kExitUsage;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        std::fputs(kMainUsage, stdout);
        return kExitOk;
    }
    if (command == QLatin1String("scan")) {
        ScanOptions options;
        const QString error = Parse_Scan_Options(rest, &options);
        if (!error.isEmpty()) {
            return usageError("scan", error);
        }
        if (options.help) {
            std::fputs(kScanUsage, stdout);
            return kExitOk;
        }
        return Run_Scan_Command(options);
    }
    if (command == QLatin1String("send")) {
        SendOptions options;
        const QString error = Parse_Send_Options(rest, &options);
        if (!error.isEmpty()) {
            return usageError("send", error);
        }
        if (options.help) {
            std::fputs(kSendUsage, stdout);
            return kExitOk;
        }
        return Run_Send_Command(options);
    }
    if (command == QLatin1String("listen")) {
        ListenOptions options;
        const QString error = Parse_Listen_Options(rest, &options);
        if (!error.isEmpty()) {
            return usageError("listen", error);
        }
        if (options.help) {
            std::fputs(kListenUsage, stdout);
            return kExitOk;
        }
        return Run_Listen_Command(options);
    }
    if (command == QLatin1String("pdu")) {
        // The PDU tool skips its first word as the program name.
        return Run_Pdu_Tool(QStringList{arguments.value(0) + QStringLiteral(" pdu")} + rest);
    }
    return usageError("", QStringLiteral("unknown command '%1'").arg(command));
}

}  // namespace tesk::cli
