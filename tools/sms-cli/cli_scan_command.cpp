// tesk-sms-cli scan: the device window's scan, listed on standard output.
#include "sms-cli/cli_commands.h"
#include "sms-cli/cli_devices.h"
#include "sms-cli/cli_dialogs.h"
#include "sms-cli/cli_interrupt.h"
#include "sms-cli/cli_scan_output.h"
#include "sms-cli/cli_terminal.h"

#include <cstdio>

namespace tesk::cli {

int Run_Scan_Command(const ScanOptions& options) {
    CliDialogs dialogs;
    InterruptWatch watch;
    DeviceWindow window(options.devices);
    watch.setHandler([&] {
        dialogs.setInterrupted();
        window.stopScan();
    });
    const QList<DeviceRecord> records = window.scan();
    if (options.json) {
        const QByteArray json = Scan_Json(records);
        std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    } else if (records.isEmpty()) {
        Print_Error_Text(QStringLiteral("No GSM device found."));
    } else {
        std::fputs(Scan_Table_Text(records).toUtf8().constData(), stdout);
    }
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace tesk::cli
