// Gallery entry of the phone connection window: a real detection through the fake adb of the
// build tree with one phone on it. Without the fake adb next to the gallery the window shows
// its state before any detection.
#include "android/phone_list_wnd.h"
#include "appstate/data_paths.h"
#include "core/pacing.h"
#include "fake-adb/fake_adb_state.h"
#include "gallery/gallery_parts.h"
#include "ui/android_send_sheets.h"
#include "ui/phone_list_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tesk::ui {

namespace {

struct OwnedPhoneController {
    android::Phone_List_Wnd owned;
};

class DetectedPhoneWindow final : private OwnedPhoneController, public PhoneListWindow {
  public:
    DetectedPhoneWindow() : PhoneListWindow(owned) {
        const QString fakeAdb = QDir(QCoreApplication::applicationDirPath())
                                    .absoluteFilePath(QStringLiteral("../fake-adb/tesk-fake-adb"));
        if (!QFile::exists(fakeAdb) || !resources_.isValid() || !phone_.isValid()) {
            return;
        }
        fakeadb::FakeAdbState state(phone_.path());
        state.setOnePhone(QStringLiteral("r58m41xyzq"));
        // A phone whose SMS limit was raised before: the window shows without the question.
        state.setGlobalSetting(QStringLiteral("sms_outgoing_check_max_count"),
                               QStringLiteral("1000"));
        state.setBuildProp(
            QStringLiteral("ro.product.manufacturer=samsung\n"
                           "ro.product.model=SM-A525F\n"
                           "ro.build.version.release=13\n"
                           "ro.build.display.id=TP1A.220624.014\n"
                           "ro.build.version.sdk=33\n"
                           "ro.build.PDA=A525FXXU4CWB1\n"
                           "ro.build.host=SWDK7320\n"));
        const QString previous = Resource_Path;
        Set_Data_Paths(resources_.path());
        QFile::link(fakeAdb, resources_.filePath(QStringLiteral("adb")));
        QFile package(resources_.filePath(QStringLiteral("RUZIVeruDIR.apk")));
        if (package.open(QIODevice::WriteOnly)) {
            package.write("package");
            package.close();
        }
        qputenv(fakeadb::kStateEnv, phone_.path().toLocal8Bit());
        {
            pacing::ScopedScale fast(0.01);
            controller().Open_Ph_List_Wnd();
            controller().Wait_For_Workers();
        }
        qunsetenv(fakeadb::kStateEnv);
        Set_Data_Paths(previous);
        controller().Set_Test_Number_Field(QStringLiteral("+447700900123"));
        setTestNumberField(controller().testNumberField());
    }

  private:
    QTemporaryDir resources_;
    QTemporaryDir phone_;
};

}  // namespace

QList<GalleryEntry> Gallery_Phone_Entries() {
    return {
        {QStringLiteral("phone_window"), [] { return std::make_unique<DetectedPhoneWindow>(); }},
        {QStringLiteral("android_single_shot_sheet"),
         [] {
             auto sheet = std::make_unique<SingleShotSheet>(nullptr);
             sheet->start(QStringLiteral("250"));
             sheet->setStatus(QStringLiteral("Initializing Mobile device to send sms..."));
             sheet->setBar(60);
             return sheet;
         }},
        {QStringLiteral("android_one_by_one_sheet"),
         [] {
             auto sheet = std::make_unique<SendSheet>(nullptr);
             sheet->start(40, QStringLiteral("40"));
             sheet->setStopEnabled(true);
             sheet->setProgressPartsVisible(true);
             sheet->setTotalBar(12);
             sheet->setCurrentBar(40);
             sheet->setCurrentCountLabel(QStringLiteral("12 / 40 Message"));
             sheet->setCurrentNumber(QStringLiteral("+447700900112"));
             sheet->setPauseLabel(QStringLiteral("Pausing the process for 8 Seconds."));
             return sheet;
         }},
        {QStringLiteral("android_storage_question_single_shot"),
         [] { return std::unique_ptr<QWidget>(Make_File_Creation_Fail_SS(nullptr)); }},
        {QStringLiteral("android_storage_question_one_by_one"),
         [] { return std::unique_ptr<QWidget>(Make_File_Creation_Fail(nullptr)); }},
    };
}

}  // namespace tesk::ui
