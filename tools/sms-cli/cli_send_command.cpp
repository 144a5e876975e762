// tesk-sms-cli send: the GSM composer's Send button without a screen. The numbers are imported
// by the composer, the devices chosen by the device window, the checks made by the send job and
// the messages sent by the sending run, exactly as in the application; this file only supplies
// the answers a user would give and prints what a user would see.
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "composer/composer_controller.h"
#include "delivery/inbox.h"
#include "devices/connection_settings.h"
#include "sending/send_job.h"
#include "sending/sms_sending.h"
#include "sms-cli/cli_commands.h"
#include "sms-cli/cli_devices.h"
#include "sms-cli/cli_dialogs.h"
#include "sms-cli/cli_events.h"
#include "sms-cli/cli_interrupt.h"
#include "sms-cli/cli_progress_view.h"
#include "sms-cli/cli_startup.h"
#include "sms-cli/cli_summary.h"
#include "sms-cli/cli_terminal.h"
#include "stores/exclusion_store.h"
#include "stores/reports.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace tesk::cli {
namespace {

using composer::ComposerController;

const QString kStoppedBeforeSending = QStringLiteral("Stopped before sending: nothing was sent.");
const QString kUnreadableExclusion = QStringLiteral("--exclude: cannot read '%1'");

// The send job's window: the composer text goes to every recipient, and the prepared run is
// kept for the caller.
class JobView final : public sending::SendJobView {
  public:
    sending::ApplyChoice runApplyMessageDialog() override { return sending::ApplyChoice::FillAll; }
    void focusNumberField() override {}
    void focusDelayedChoice(bool) override {}
    void showPleaseWait(bool) override {}
    void openSendingWindow(const sending::SendingRequest& prepared) override { request = prepared; }

    std::optional<sending::SendingRequest> request;
};

bool readMessageFile(const QString& path, QString* message) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1String("\r\n"))) {
        text.chop(2);
    } else if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    *message = text;
    return true;
}

// Adds the numbers of one exclusion file to `numbers`. False when the file cannot be read or
// its contents cannot be (a broken RTF, a binary file); an empty file holds no numbers and is
// no fault.
bool addExclusionFile(const QString& file, QStringList* numbers) {
    bool ok = false;
    *numbers += stores::Exclusion_Numbers_From_File(file, *numbers, &ok);
    const QFileInfo info(file);
    return ok || (info.isFile() && info.isReadable() && info.size() == 0);
}

// The composer as the user leaves it before pressing Send. False, with the reason printed, when
// an exclusion file read at the start can no longer be read.
bool setUpComposer(ComposerController& composer, const SendOptions& options,
                   const QString& message) {
    composer.Skip_Duplicate_Chk(options.skipDuplicates);
    // Recipients who answered a stop word asked for no more messages: while their list is
    // applied, no run sends to them, from the window or from here.
    const bool optOuts =
        stores::Read_Entry_File(Applied_Exclusion_Path).contains(delivery::kOptOutListName);
    if (!options.excludeFiles.isEmpty() || optOuts) {
        // The exclusion numbers come from the files of the command line, read again whenever
        // the composer reloads them, as the applied lists are in the application.
        // A reload that cannot read a file keeps the numbers the composer already has.
        const QStringList files = options.excludeFiles;
        auto unreadable = std::make_shared<QString>();
        composer.Set_Exclusion_Loader([files, optOuts, unreadable](ComposerController& target) {
            QStringList numbers;
            for (const QString& file : files) {
                if (!addExclusionFile(file, &numbers)) {
                    *unreadable = file;
                    return;
                }
            }
            if (optOuts) {
                numbers +=
                    stores::Read_Entry_File(stores::Exclusion_List_File(delivery::kOptOutListName));
            }
            target.Fill_Exclusion_Num_List(numbers);
        });
        composer.Exclusion_Chk(true);
        if (!unreadable->isEmpty()) {
            Print_Error_Text(kUnreadableExclusion.arg(*unreadable));
            return false;
        }
    }
    composer.Save_Sent_Item_Chk(options.saveSentItems);
    composer.Pacing_Selected(options.fastPacing ? 1 : 0);
    composer.Device_Limit(options.deviceLimit, options.limitPerDay);
    composer.Keep_Going_Chk(options.keepGoing);
    composer.Delivery_Reports_Chk(options.deliveryReports);
    composer.Unicode_Chk(options.unicode);
    const QStringList types = ComposerController::Message_Types();
    composer.Msg_Type_Selected(static_cast<int>(types.indexOf(
        options.flash ? QStringLiteral("Notification") : QStringLiteral("Standard"))));
    if (options.delayed()) {
        composer.Delayed_Delivry_Chk(true);
        composer.Delayed_Choices(
            true,
            options.pauseEveryIndex >= 0 ? options.pauseEveryIndex
                                         : ComposerController::kDefaultCountIndex,
            options.pauseIndex >= 0 ? options.pauseIndex : ComposerController::kDefaultPauseIndex);
    }
    composer.textDidChange(message);
    return true;
}

// "Devices: VM0 (/dev/...), VM1 (/dev/...)".
QString Chosen_Devices_Text() {
    QStringList shown;
    for (const DeviceRecord& record : port_det_str_array.get()) {
        shown.append(QStringLiteral("%1 (%2)").arg(record.portName, record.path));
    }
    return QStringLiteral("Devices: ") + shown.join(QStringLiteral(", "));
}

// Ctrl-C while the command runs: from then on the dialogs answer stop questions "Yes", and the
// step under way (the one that set stopCurrentStep) is asked to stop.
struct StopHandling {
    StopHandling() {
        watch.setHandler([this] {
            dialogs.setInterrupted();
            if (stopCurrentStep) {
                stopCurrentStep();
            }
        });
    }

    CliDialogs dialogs;
    InterruptWatch watch;
    std::function<void()> stopCurrentStep;
};

// The message (typed, or read from its file) and the custom service centre are checked before
// anything is started: a mistake in either is a usage error, printed here.
bool readInputs(const SendOptions& options, QString* message) {
    *message = options.message;
    if (!options.haveMessage && !readMessageFile(options.messageFile, message)) {
        Print_Error_Text(
            QStringLiteral("--message-file: cannot read '%1'").arg(options.messageFile));
        return false;
    }
    if (!options.smsc.isEmpty() && !devices::Valid_Custom_Smsc(options.smsc)) {
        Print_Error_Text(devices::kInvalidSmsc);
        return false;
    }
    // The option check only asks whether an exclusion file is readable. Its contents are read
    // here, before any device is touched: a file that gives no numbers at all (a broken RTF,
    // say) would leave out nobody, and the run would reach the very numbers meant to be spared.
    for (const QString& file : options.excludeFiles) {
        QStringList numbers;
        if (!addExclusionFile(file, &numbers)) {
            Print_Error_Text(kUnreadableExclusion.arg(file));
            return false;
        }
    }
    return true;
}

// The devices: scanned and chosen as in the device window. The exit code when the command
// ends here (stopped, or no usable device), nullopt when `deviceChoice` holds the choice.
std::optional<int> chooseDevices(const SendOptions& options, StopHandling& stops,
                                 QString* deviceChoice) {
    DeviceWindow window(options.devices);
    stops.stopCurrentStep = [&window] { window.stopScan(); };
    window.scan();
    stops.stopCurrentStep = nullptr;
    if (stops.dialogs.interrupted()) {
        Print_Error_Text(kStoppedBeforeSending);
        return kExitNotAllSent;
    }
    if (!window.choose({options.mode, options.smsc}, deviceChoice)) {
        return stops.dialogs.interrupted() ? kExitNotAllSent : kExitUsage;
    }
    return std::nullopt;
}

// The numbers: imported by the composer, each getting the message. False when a stop came
// during the import.
bool importNumbers(ComposerController& composer, const SendOptions& options, CliDialogs& dialogs) {
    dialogs.setFilesToOpen({options.numbersFile});
    composer.Load_Number();
    Run_Events_Until([&] { return !composer.Import_Running(); });
    composer.Wait_For_Import();
    return !dialogs.interrupted();
}

// The run the send job prepared, until its last message. A stop asked for while the run still
// loads its items waits until there is work to stop: the Stop button does nothing before that.
void runSending(sending::SMS_Sending& run, const sending::SendingRequest& request,
                StopHandling& stops) {
    bool stopPending = false;
    stops.stopCurrentStep = [&stopPending] { stopPending = true; };
    stopPending = stops.dialogs.interrupted();
    run.Open_SMS_Sending_Dialog(request);
    Run_Events_Until([&] {
        if (stopPending && run.table().count() > 0) {
            stopPending = false;
            run.Stop_Btn();
        }
        return !run.running();
    });
    run.Wait_For_Run();
    stops.stopCurrentStep = nullptr;
    End_Progress_Line();
}

// The status report through the sending window's Export button, when one was asked for. True
// when it was asked for and not written; a run with no item of the chosen status is told so
// and is not a failure.
bool exportReportFailed(sending::SMS_Sending& run, const ProgressView& progress,
                        const SendOptions& options, CliDialogs& dialogs) {
    if (options.reportPath.isEmpty()) {
        return false;
    }
    dialogs.setReport(options.reportPath, options.reportHtml, options.status);
    run.Export_Btn();
    return progress.exportedPath().isEmpty() &&
           dialogs.noticeCount(stores::kNoItemForExportOption) == 0;
}

}  // namespace

int Run_Send_Command(const SendOptions& options) {
    QString message;
    if (!readInputs(options, &message)) {
        return kExitUsage;
    }
    StopHandling stops;
    if (!Start_Data_Store()) {
        return kExitUsage;
    }
    struct ChannelsClosed {
        ~ChannelsClosed() { Close_Channels(); }
    } channelsClosed;

    QString deviceChoice;
    if (const std::optional<int> ended = chooseDevices(options, stops, &deviceChoice)) {
        return *ended;
    }
    Print_Error_Text(Chosen_Devices_Text());

    ComposerController composer(composer::ComposerKind::Gsm);
    if (!setUpComposer(composer, options, message)) {
        return kExitUsage;
    }
    if (!importNumbers(composer, options, stops.dialogs)) {
        Print_Error_Text(kStoppedBeforeSending);
        return kExitNotAllSent;
    }

    // The send job's checks and device check, then the run it prepared.
    JobView jobView;
    sending::GSM_Send_Job job(composer, &jobView);
    job.Send_SMS_Btn(deviceChoice);
    if (!jobView.request) {
        return stops.dialogs.interrupted() ? kExitNotAllSent : kExitUsage;
    }

    ProgressView progress;
    sending::SMS_Sending run;
    run.setView(&progress);
    runSending(run, *jobView.request, stops);
    const bool reportFailed = exportReportFailed(run, progress, options, stops.dialogs);

    const RunSummary summary = Summarize_Run(run.table().items());
    std::fputs(Summary_Text(summary).toUtf8().constData(), stdout);
    std::fflush(stdout);
    return summary.notSent > 0 || reportFailed ? kExitNotAllSent : kExitOk;
}

}  // namespace tesk::cli
