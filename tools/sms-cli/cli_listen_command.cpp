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

// Ctrl-C while the command runs: the dialogs answer stop questions "Yes", `stop` ends the
// loops, and the step under way (the one that set stopCurrentStep) is asked to stop.
struct StopHandling {
    StopHandling() {
        watch.setHandler([this] {
            dialogs.setInterrupted();
            stop = true;
            if (stopCurrentStep) {
                stopCurrentStep();
            }
        });
    }

    CliDialogs dialogs;
    InterruptWatch watch;
    bool stop = false;
    std::function<void()> stopCurrentStep;
};

using Listeners = std::vector<std::unique_ptr<delivery::DeviceListener>>;

// The devices, scanned as the device window does; a stop ends the scan early.
QList<DeviceRecord> scanDevices(const ListenOptions& options, StopHandling& stops) {
    DeviceWindow window(options.devices);
    stops.stopCurrentStep = [&window] { window.stopScan(); };
    QList<DeviceRecord> records = window.scan();
    stops.stopCurrentStep = nullptr;
    return records;
}

// Where one device's reports and replies go: into the shared book and inbox as in the
// application, and as a line naming the device on standard output.
delivery::DeviceEvents::Sinks printingSinks(delivery::DeliveryBook& book, delivery::Inbox& inbox,
                                            const QString& path) {
    delivery::DeviceEvents::Sinks sinks;
    sinks.book = &book;
    sinks.inbox = &inbox;
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
    return sinks;
}

// A channel for each device, with what the device already stored read first. A device that
// cannot be opened is reported and left out; a stop leaves the rest unopened.
Listeners openListeners(const QList<DeviceRecord>& records, delivery::DeliveryBook& book,
                        delivery::Inbox& inbox, const bool& stop) {
    Listeners listeners;
    for (const DeviceRecord& record : records) {
        if (stop) {
            break;
        }
        QString problem;
        std::unique_ptr<delivery::DeviceListener> listener = delivery::DeviceListener::Open(
            record, printingSinks(book, inbox, record.path), &problem);
        if (!problem.isEmpty()) {
            Print_Error_Text(problem);
        }
        if (listener) {
            listener->events().Read_Stored();
            listeners.push_back(std::move(listener));
        }
    }
    return listeners;
}

// Each device in turn for a moment, until the time given is up (never without one) or a stop.
void listenInTurn(const Listeners& listeners, int seconds, const bool& stop) {
    QElapsedTimer clock;
    clock.start();
    while (!stop && (seconds <= 0 || clock.elapsed() < seconds * 1000LL)) {
        for (const auto& listener : listeners) {
            listener->events().Listen(kTurnSeconds);
            Run_Events_Until([] { return true; });
            if (stop) {
                break;
            }
        }
    }
}

// Closes every channel and prints what was handled; reports that come later are left stored
// on the device.
void closeListeners(Listeners& listeners) {
    int reports = 0;
    int messages = 0;
    for (auto& listener : listeners) {
        reports += listener->events().reportsHandled();
        messages += listener->events().messagesStored();
        listener.reset();
    }
    Print_Error_Text(QStringLiteral("Reports: %1, replies: %2.").arg(reports).arg(messages));
}

}  // namespace

int Run_Listen_Command(const ListenOptions& options) {
    StopHandling stops;
    if (!Start_Data_Store()) {
        return kExitUsage;
    }
    const QList<DeviceRecord> records = scanDevices(options, stops);
    const std::shared_ptr<delivery::DeliveryBook> book = delivery::DeliveryBook::Shared();
    const std::shared_ptr<delivery::Inbox> inbox = delivery::Inbox::Shared();
    Listeners listeners = openListeners(records, *book, *inbox, stops.stop);
    if (listeners.empty()) {
        Print_Error_Text(QStringLiteral("No GSM device to listen on."));
        return kExitUsage;
    }
    Print_Error_Text(QStringLiteral("Listening on %1 device(s)%2.")
                         .arg(listeners.size())
                         .arg(options.seconds > 0
                                  ? QStringLiteral(" for %1 seconds").arg(options.seconds)
                                  : QStringLiteral("; Ctrl-C stops")));
    listenInTurn(listeners, options.seconds, stops.stop);
    closeListeners(listeners);
    return kExitOk;
}

}  // namespace tesk::cli
