#pragma once
// Android-link tests: a private resource directory whose "adb" is the fake adb, a phone state
// directory the fake serves and a fast clock.
#include "android/android_detection.h"
#include "android/companion_delivery.h"
#include "android/phone_list_wnd.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/log.h"
#include "core/pacing.h"
#include "fake-adb/fake_adb_state.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tesk::test {

// One "second" of the Android code lasts 100 ms here, so adb calls may take 6 s (install and
// push 18 s) before they count as timed out: far more than the fake needs even on a busy
// machine.
inline constexpr double kAndroidTimeScale = 0.1;

// The companion package this build made, or "" when the Android build tools were missing.
inline QString Built_Companion() {
#ifdef TESK_COMPANION_APK
    return QFileInfo::exists(QStringLiteral(TESK_COMPANION_APK))
               ? QStringLiteral(TESK_COMPANION_APK)
               : QString();
#else
    return QString();
#endif
}

class AndroidTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(resource.isValid());
        ASSERT_TRUE(stateDir.isValid());
        Set_Data_Paths(resource.path());
        ASSERT_TRUE(QFile::link(QStringLiteral(TESK_FAKE_ADB_BIN), resource.filePath("adb")));
        writePackage();
        state = std::make_unique<fakeadb::FakeAdbState>(stateDir.path());
        qputenv(fakeadb::kStateEnv, stateDir.path().toLocal8Bit());
        // The security warning is a once-per-run notice; tests that look at it reset it.
        andcntr_wzd = 1;
        file_saved_once = 0;
        last_dev_chk = 0;
        Android_Selected_Device.set(QString(""));
        Android_Device_List.set(QString(""));
        last_device_name.set(QString(""));
        sel_port_name_str.set(QString(""));
        sel_port_bsd_str.set(QString(""));
    }
    void TearDown() override { qunsetenv(fakeadb::kStateEnv); }

    void writePackage() {
        QFile package(resource.filePath(android::kCompanionPackage));
        ASSERT_TRUE(package.open(QIODevice::WriteOnly));
        package.write("not really a package");
    }
    void onePhone(const QString& serial = QStringLiteral("0123abcd")) {
        state->setOnePhone(serial);
    }
    QString local(const QString& name) const { return resource.filePath(name); }

    QTemporaryDir resource;
    QTemporaryDir stateDir;
    std::unique_ptr<fakeadb::FakeAdbState> state;
    pacing::ScopedScale fast{kAndroidTimeScale};
    log::Capture logged;
};

}  // namespace tesk::test
