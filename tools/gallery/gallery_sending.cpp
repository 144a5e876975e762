// Gallery entries of the sending window: a real run over virtual modems, caught while it
// pauses after every five messages, and a run that has ended with one refused message.
#include "core/pacing.h"
#include "gallery/gallery_parts.h"
#include "modem/mfcsms.h"
#include "sending/sms_sending.h"
#include "ui/sending_wnd.h"
#include "virtual-modem/virtual_modem.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <vector>

namespace tesk::ui {

namespace {

// Owns the modems, as a base, so they outlive the window's run.
struct OwnedModems {
    std::vector<std::unique_ptr<vmodem::VirtualModem>> modems;
};

class SampleSendingWindow final : private OwnedModems, public SendingWnd {
  public:
    // `refusingModem`: the second modem refuses its 3rd message.
    SampleSendingWindow(bool pauseEveryFive, bool refusingModem) {
        Fill_Channel_Table();
        sending::SendingRequest request;
        for (int i = 0; i < 2; ++i) {
            vmodem::Config config;
            config.name = QStringLiteral("VM%1").arg(i);
            config.announce = false;
            config.imei = QStringLiteral("35693803564380%1").arg(i);
            if (refusingModem && i == 1) {
                config.cmsErrorOnSubmission = 3;
            }
            modems.push_back(std::make_unique<vmodem::VirtualModem>(config));
            modems.back()->start();
            DeviceRecord record;
            record.portName = config.name;
            record.model = config.model;
            record.path = modems.back()->portPath();
            record.smsMode = SmsMode::Pdu;
            record.smsCapable = QStringLiteral("Yes");
            request.devices.append(record);
            request.entries.append(modems.back()->portPath());
        }
        request.entries.append(QStringLiteral("All Device"));
        request.selected = QStringLiteral("All Device");
        request.chosenDevicePath = request.entries.first();
        const QStringList names = {"Ann", "Ben", "Cleo", "Dev", "Eli", "Fay",
                                   "Gus", "Hal", "Ida",  "Jo",  "Kai", "Lu"};
        for (int i = 0; i < names.size(); ++i) {
            request.list.append(
                {QStringLiteral("+4477009001%1").arg(i, 2, 10, QLatin1Char('0')),
                 QStringLiteral("Hello %1, your order is ready for collection.").arg(names[i])});
        }
        request.list.append({QStringLiteral("+447700900100"), QStringLiteral("Hello again")});
        request.rules.skipDuplicates = true;
        request.rules.chosenDevicePath = request.chosenDevicePath;
        if (pauseEveryFive) {
            request.delayed = true;
            request.countText = QStringLiteral("5");
            request.pauseText = QStringLiteral(" 2  Minutes");
        }
        {
            pacing::ScopedScale fast(0.01);
            start(request);
            // Settle into the state the picture shows.
            while (pauseEveryFive ? !run().pausing() : run().running()) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::msleep(1);
            }
            // On the same clock as the run, so the rate shown is the rehearsal's own.
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
};

}  // namespace

QList<GalleryEntry> Gallery_Sending_Entries() {
    return {
        {QStringLiteral("sending_window_running"),
         [] { return std::make_unique<SampleSendingWindow>(true, false); }},
        {QStringLiteral("sending_window_finished"),
         [] { return std::make_unique<SampleSendingWindow>(false, true); }},
    };
}

}  // namespace tesk::ui
