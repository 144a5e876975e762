#pragma once
// A GSM sending run against virtual modems: a private runtime and data folder, the channel
// table, modems chosen as the device window hands them over, a view that records what the
// sending window would show, and scripted dialogs.
#include "appstate/data_paths.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "sending/sms_sending.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_modems.h"
#include "virtual-modem/virtual_modem.h"

#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace tesk::sending::test {

inline const QString kSent = "Message sent successfully.";

// A device as the device window hands it over: PDU mode, its own service centre.
inline DeviceRecord Gsm_Record(const QString& name, const QString& path) {
    DeviceRecord record;
    record.portName = name;
    record.path = path;
    record.model = "VM-1";
    record.smsMode = SmsMode::Pdu;
    record.smsCapable = "Yes";
    return record;
}

struct RecordingView final : SendingView {
    void redrawTable() override { onRedraw(); }
    void setStatusText(const QString&) override {}
    void setProgressText(const QString&) override {}
    void setOverallBar(int, int) override {}
    void setMessageBar(int) override {}
    void setPauseLabel(const QString& text) override {
        if (pauseLabels.isEmpty() || pauseLabels.last() != text) {
            pauseLabels.append(text);
            onPauseLabel(text);
        }
    }
    void setStopVisible(bool) override {}
    void setExportVisible(bool) override {}
    void setCloseEnabled(bool) override {}
    void showPleaseWait(bool) override {}
    void closeWindow() override {}
    void offerToOpenExportedFile(const QString& path) override { exported = path; }

    std::function<void()> onRedraw = [] {};
    std::function<void(const QString&)> onPauseLabel = [](const QString&) {};
    QStringList pauseLabels;
    QString exported;
};

class SendingRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Set_Data_Paths(modems.filePath("resources"));
        Fill_Channel_Table();
        run.setView(&view);
    }
    void TearDown() override { close_all_ports(); }

    // Modem VM<n> (n: how many came before).
    vmodem::VirtualModem& addModem(vmodem::Config config = {}) {
        config.name = QString("VM%1").arg(modems.size());
        vmodem::VirtualModem& modem = modems.add(config);
        request.devices.append(Gsm_Record(config.name, modem.portPath()));
        request.entries.append(modem.portPath());
        names.insert(modem.portPath(), config.name);
        return modem;
    }
    void addModems(int count, const std::function<void(int, vmodem::Config&)>& faults = {}) {
        for (int i = 0; i < count; ++i) {
            vmodem::Config config;
            if (faults) {
                faults(i, config);
            }
            addModem(config);
        }
    }
    // A new run on new modems, in the same data folder.
    void reset() {
        close_all_ports();
        modems.clear();
        names.clear();
        request = {};
        Fill_Channel_Table();
    }
    void recipients(int count) {
        for (int i = 0; i < count; ++i) {
            request.list.append({QString("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                                 QString("Hello %1").arg(i)});
        }
    }
    // Opens the run on every device ("All Device") or on the only one.
    void start() {
        if (request.entries.size() > 1) {
            request.entries.append("All Device");
        }
        request.selected = request.entries.size() > 1 ? "All Device" : request.entries.value(0);
        run.Open_SMS_Sending_Dialog(request);
    }
    void finish(const QString& endMessage) {
        run.Wait_For_Run();
        EXPECT_EQ(run.endMessage(), endMessage);
        EXPECT_EQ(run.statusText(), "Finish.");
        EXPECT_EQ(dialogs.pending(), 0);
    }
    void send(const QString& endMessage) {
        dialogs.expectNotice("\n" + endMessage);
        start();
        finish(endMessage);
    }
    QStringList received() const {
        QStringList numbers;
        for (int i = 0; i < modems.size(); ++i) {
            for (const auto& sms : modems[i].received()) {
                numbers.append(sms.number);
            }
        }
        return numbers;
    }
    QStringList statuses() const {
        QStringList s;
        for (const SendingItem& item : run.table().items()) {
            s.append(item.Status);
        }
        return s;
    }

    // First: its folder is the runtime folder (XDG_RUNTIME_DIR) and holds the data folder.
    tesk::test::VirtualModems modems;
    pacing::ScopedScale fast{0.02};
    tesk::test::ScriptedDialogs dialogs;
    QHash<QString, QString> names;  // port path -> modem name
    SendingRequest request;
    RecordingView view;
    SMS_Sending run;
};

}  // namespace tesk::sending::test
