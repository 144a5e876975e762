#pragma once
// Device windows under test: virtual modems in a private runtime folder, a fast clock, scripted
// dialogs, and views that record what the controllers show.
#include "appstate/selection_state.h"
#include "core/pacing.h"
#include "devices/automated_test.h"
#include "devices/gsm_device_list.h"
#include "devices/selected_device_details.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "support/virtual_modems.h"

#include <gtest/gtest.h>

#include <functional>

namespace tesk::test {

// What the device windows say when a chosen device has no service centre to send through.
inline const QString kNoDefaultSmscText = QStringLiteral(
    "Default SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");
inline const QString kNoCustomSmscText = QStringLiteral(
    "Custom SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");

// One "second" of the device code lasts 50 ms in these suites.
inline constexpr double kDeviceTimeScale = 0.05;

struct RecordingDeviceView final : devices::GsmDeviceListView {
    void redrawTable() override {
        if (onRedraw) {
            onRedraw();
        }
    }
    void selectRow(int) override {}
    void scrollToTop() override {}
    void showControls(const devices::DeviceWindowControls&) override {}
    void showProgress(int, int) override {}
    void showDetails(const devices::DeviceDetailsFields&) override {}
    void showSettings(const devices::SettingsFields& f) override { settings = f; }
    void setTestNumberField(const QString&) override {}
    void showPleaseWait(bool) override {}
    void endModal(int code) override { endCodes.append(code); }
    void runAutomatedTest(const devices::AutomatedTestHandIn& handIn) override {
        handIns.append(handIn);
        if (onAutomatedTest) {
            onAutomatedTest(handIn);
        }
    }

    std::function<void()> onRedraw;
    std::function<void(const devices::AutomatedTestHandIn&)> onAutomatedTest;
    devices::SettingsFields settings;
    QList<int> endCodes;
    QList<devices::AutomatedTestHandIn> handIns;
};

// Modems announced in a private runtime folder, each logging what it receives.
class VirtualModemsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port_val_str_array.set({});
        port_det_str_array.set({});
        sel_port_name_str.set(QString(""));
        sel_port_bsd_str.set(QString(""));
        Cus_SMS_Num_STR.set(QString(""));
    }

    // Modem VMi, with an IMEI of its own, changed by `change` before it starts.
    vmodem::VirtualModem& addVm(int i, const std::function<void(vmodem::Config&)>& change = {}) {
        vmodem::Config c = VirtualModems::named(QStringLiteral("VM%1").arg(i),
                                                QStringLiteral("35693803564380%1").arg(i));
        if (change) {
            change(c);
        }
        return modems.add(c);
    }

    VirtualModems modems;  // first: XDG_RUNTIME_DIR points at its folder before anything runs
    pacing::ScopedScale fast{kDeviceTimeScale};
};

}  // namespace tesk::test
