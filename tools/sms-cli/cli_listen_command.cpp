// tesk-sms-cli listen: the devices' status reports and replies, for runs left to the command
// line. The devices are scanned as the device window does, then each gets its own channel and
// is asked in turn, a moment at a time, so one thread serves them all and Ctrl-C is noticed
// between two moments.
#include "delivery/delivery_book.h"
#include "delivery/device_listener.h"
#include "sms-cli/cli_commands.h"
#include "sms-cli/cli_devices.h"
#include "sms-cli/cli_dialogs.h"
#include "sms-cli/cli_events.h"
#include "sms-cli/cli_interrupt.h"
#include "sms-cli/cli_startup.h"
#include "sms-cli/cli_terminal.h"

#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace tesk::cli {
namespace {

// How long each device is listened to before the next one gets its turn.
constexpr double kTurnSeconds = 0.5;

void printLine(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

}  // namespace

int Run_Listen_Command(const ListenOptions& options) {
    CliDialogs dialogs;
    InterruptWatch watch;
    bool stop = false;
    std::function<void()> stopCurrentStep;
    watch.setHandler([&] {
        dialogs.setInterrupted();
        stop = true;
        if (stopCurrentStep) {
            stopCurrentStep();
        }
    });
    if (!Start_Data_Store()) {
        return kExitUsage;
    }
    QList<DeviceRecord> records;
    {
        DeviceWindow window(options.devices);
        stopCurrentStep = [&window] { window.stopScan(); };
        records = window.scan();
        stopCurrentStep = nullptr;
    }
    const std::shared_ptr<delivery::DeliveryBook> shared = delivery::DeliveryBook::Shared();
    delivery::DeliveryBook& book = *shared;
    const std::shared_ptr<delivery::Inbox> inbox = delivery::Inbox::Shared();
    std::vector<std::unique_ptr<delivery::DeviceListener>> listeners;
    for (const DeviceRecord& record : records) {
        if (stop) {
            break;
        }
        const QString path = record.path;
        delivery::DeviceEvents::Sinks sinks;
        sinks.book = &book;
        sinks.inbox = inbox.get();
        sinks.reportMatched = [&book, path](const QString& id) {
            if (const auto message = book.message(id)) {
                printLine(QStringLiteral("Report\t%1\t%2\t%3")
                              .arg(path, message->recipient, delivery::State_Text(*message)));
            }
        };
        sinks.messageStored = [path](const delivery::InboxMessage& message) {
            printLine(QStringLiteral("Reply\t%1\t%2\t%3%4")
                          .arg(path, message.sender, message.text.simplified(),
                               message.optOut ? QStringLiteral("\t(opted out)") : QString()));
        };
        QString problem;
        std::unique_ptr<delivery::DeviceListener> listener =
            delivery::DeviceListener::Open(record, sinks, &problem);
        if (!problem.isEmpty()) {
            Print_Error_Text(problem);
        }
        if (listener) {
            listener->events().Read_Stored();
            listeners.push_back(std::move(listener));
        }
    }
    if (listeners.empty()) {
        Print_Error_Text(QStringLiteral("No GSM device to listen on."));
        return kExitUsage;
    }
    Print_Error_Text(QStringLiteral("Listening on %1 device(s)%2.")
                         .arg(listeners.size())
                         .arg(options.seconds > 0
                                  ? QStringLiteral(" for %1 seconds").arg(options.seconds)
                                  : QStringLiteral("; Ctrl-C stops")));
    QElapsedTimer clock;
    clock.start();
    while (!stop && (options.seconds <= 0 || clock.elapsed() < options.seconds * 1000LL)) {
        for (const auto& listener : listeners) {
            listener->events().Listen(kTurnSeconds);
            Run_Events_Until([] { return true; });
            if (stop) {
                break;
            }
        }
    }
    int reports = 0;
    int messages = 0;
    for (auto& listener : listeners) {
        reports += listener->events().reportsHandled();
        messages += listener->events().messagesStored();
        listener.reset();  // later reports are left stored on the device
    }
    Print_Error_Text(QStringLiteral("Reports: %1, replies: %2.").arg(reports).arg(messages));
    return kExitOk;
}

}  // namespace tesk::cli
