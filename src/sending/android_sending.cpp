#include "sending/android_sending.h"

#include "android/android_detection.h"
#include "android/companion_delivery.h"
#include "appstate/selection_state.h"
#include "composer/message_rules.h"
#include "core/app_thread_queue.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "sending/send_job.h"
#include "sending/sms_sending.h"
#include "stores/sent_items.h"
#include "stores/templates.h"

#include <QFile>

#include <chrono>
#include <condition_variable>
#include <exception>

namespace tesk::sending {

namespace {

struct Answer {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    int value = 0;
};

// The message file is built in memory and written in one piece: what the phone gets and what
// the stores record are then the same items, or, when the file cannot be made, none. Returns the
// items the file lists; *made tells whether it was written.
QList<composer::ListItem> writeMessageFile(const AndroidSendRequest& request, bool* made) {
    using Skip = Send_SMS_Func_Android::Skip;
    const QList<Skip> reasons =
        Send_SMS_Func_Android::Skip_Reasons(request.list, request.options, request.excluded);
    QByteArray contents;
    QList<composer::ListItem> listed;
    for (int i = 0; i < request.list.size(); ++i) {
        if (reasons.at(i) != Skip::None) {
            continue;
        }
        const QString number = request.list.at(i).Number;
        const QString message = composer::Cut_Message(request.list.at(i).Message);
        contents += android::Message_File_Record(number, message).toUtf8();
        listed.append({number, message});
    }
    *made = false;
    QFile file;
    if (android::Open_New_Local_File(file, android::kMessageFileName)) {
        *made = file.write(contents) == contents.size() && file.flush();
        file.close();
    }
    if (!*made) {
        Show_NSLog_Message(QStringLiteral("the message file could not be written"));
    }
    return listed;
}

}  // namespace

Send_SMS_Func_Android::Send_SMS_Func_Android(composer::ComposerController& composer,
                                             AndroidSendView* view)
    : composer_(composer), view_(view) {
    activity_ = std::make_unique<QTimer>();
    activity_->setInterval(static_cast<int>(pacing::scaled(0.5) * 1000.0) + 1);
    QObject::connect(activity_.get(), &QTimer::timeout, [this] {
        // 20, 40, 60, 80, 100, 20, ...: the user sees the run is alive between messages.
        activityValue_ = activityValue_ >= 100 ? 20 : activityValue_ + 20;
        if (!view_) {
            return;
        }
        if (animateSingleShot_) {
            view_->setSingleShotBar(activityValue_);
        } else {
            view_->setCurrentBar(activityValue_);
        }
    });
}

Send_SMS_Func_Android::~Send_SMS_Func_Android() {
    destroying_ = true;
    stop_ = true;
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
}

void Send_SMS_Func_Android::post(std::function<void()> task) {
    Queue_To_App_Thread(alive_, std::move(task));
}

int Send_SMS_Func_Android::askOnWindowThread(std::function<int()> question) {
    auto answer = std::make_shared<Answer>();
    post([answer, question = std::move(question)] {
        const int value = question();
        {
            std::lock_guard lock(answer->mutex);
            answer->value = value;
            answer->done = true;
        }
        answer->ready.notify_all();
    });
    std::unique_lock lock(answer->mutex);
    while (!answer->done) {
        if (destroying_) {
            return 0;  // the window is going away: the safe answer is "stop"
        }
        answer->ready.wait_for(lock, std::chrono::milliseconds(50));
    }
    return answer->value;
}

void Send_SMS_Func_Android::startAnimation(bool singleShot) {
    post([this, singleShot] {
        animateSingleShot_ = singleShot;
        activityValue_ = 0;
        activity_->start();
    });
}

void Send_SMS_Func_Android::stopAnimation() {
    post([this] { activity_->stop(); });
}

void Send_SMS_Func_Android::Sending_Mode_Help_Pressed() {
    Show_MessageBox(kSingleShotHelp);
}

void Send_SMS_Func_Android::Sending_Mode_Help_Pressed_2() {
    Show_MessageBox(kOneByOneHelp);
}

// ---- the checks, on the window thread

bool Send_SMS_Func_Android::Send_SMS_Btn(const QString& deviceLabel) {
    // Pressing Send during a run does nothing.
    if (running_ || sms_thread_var_s != 0) {
        return false;
    }
    if (!validate(deviceLabel)) {
        return false;
    }
    AndroidSendRequest request = buildRequest();
    running_ = true;
    sms_thread_var_s = 1;
    stop_ = false;
    aborted_ = false;
    pauses_ = 0;
    handedOver_ = 0;
    worker_.start(
        [this, request = std::move(request)]() mutable { Send_SMS_Thread(std::move(request)); });
    return true;
}

bool Send_SMS_Func_Android::validate(const QString& deviceLabel) {
    if (sel_port_bsd_str.get().isEmpty() || deviceLabel == kNoDeviceSelected) {
        Show_MessageBox(kNoDeviceForSending);
        return false;
    }
    if (!Trim_Str(composer_.numberField()).isEmpty()) {
        Show_MessageBox(QStringLiteral("Please insert entered number to the list."));
        view_->focusNumberField();
        return false;
    }
    if (composer_.list().isEmpty()) {
        Show_MessageBox(QStringLiteral("Phone numbers-Messages list is empty."));
        view_->focusNumberField();
        return false;
    }
    const bool offerDialog = composer_.Take_Message_For_Sending();
    if (composer_.options().delayedDelivery) {
        const bool noCount = Trim_Str(composer_.Delayed_Count_Text()).isEmpty();
        if (noCount || Trim_Str(composer_.Delayed_Pause_Text()).isEmpty()) {
            Show_MessageBox(
                QStringLiteral("No values have been selected in 'Delayed Delivery Options'."));
            view_->focusDelayedChoice(noCount);
            return false;
        }
    }
    if (offerDialog) {
        switch (view_->runListMessageDialog()) {
            case ListMessageChoice::Applied:
                view_->redrawList();
                break;
            case ListMessageChoice::Continue:
                break;
            case ListMessageChoice::Cancel:
                return false;
        }
        composer_.Remember_Offered_Message();
    }
    if (composer_.Blank_Msg_Chk() == 1) {
        Show_MessageBox(kNoTextForAnyContact);
        return false;
    }
    // The phone sends each row's own message: rows still without one go out empty only when
    // the user says so.
    const int blank = composer_.Blank_Message_Count();
    if (blank > 0 &&
        !Show_YES_NO_MessageBox(Blank_Rows_Question(blank, composer_.list().count()))) {
        return false;
    }
    view_->setNumberFieldEnabled(false);
    if (composer_.options().exclusion) {
        composer_.Reload_Exclusions();
    }
    view_->selectListRow(0);
    return true;
}

AndroidSendRequest Send_SMS_Func_Android::buildRequest() const {
    AndroidSendRequest request;
    request.list = composer_.list().items();
    request.options = composer_.options();
    const auto& exclusions = composer_.exclusions();
    request.excluded.reserve(exclusions.count());
    for (int i = 0; i < exclusions.count(); ++i) {
        request.excluded.insert(exclusions.at(i).Number);
    }
    request.singleShot = composer_.controls().androidSingleShot;
    request.countText = composer_.Delayed_Count_Text();
    request.pauseText = composer_.Delayed_Pause_Text();
    return request;
}

QList<Send_SMS_Func_Android::Skip> Send_SMS_Func_Android::Skip_Reasons(
    const QList<composer::ListItem>& list, const composer::ComposerOptions& options,
    const QSet<QString>& excluded) {
    QList<Skip> reasons;
    reasons.reserve(list.size());
    QSet<QString> earlier;  // every number of the items before this one, skipped or not
    earlier.reserve(list.size());
    for (const composer::ListItem& item : list) {
        const QString& number = item.Number;
        if (options.exclusion && excluded.contains(number)) {
            reasons.append(Skip::Excluded);
        } else if (options.skipDuplicate && earlier.contains(number)) {
            reasons.append(Skip::Duplicate);
        } else {
            reasons.append(Skip::None);
        }
        earlier.insert(number);
    }
    return reasons;
}

// ---- the run, on the worker

void Send_SMS_Func_Android::Send_SMS_Thread(AndroidSendRequest request) {
    try {
        runDate_ = pacing::today().toString(QStringLiteral("dd/MM/yyyy"));
        templatesSaved_.clear();
        if (request.singleShot) {
            SMS_Sent_By_Single_Shot_Mode(request);
        } else {
            SMS_Sent_By_One_By_One_Mode(request);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Send_SMS_Func_Android exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        aborted_ = true;
        // Whichever sheet was open must not stay on the window.
        post([this] {
            view_->closeSingleShotSheet();
            view_->closeSendSheet();
        });
    }
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    post([this] {
        activity_->stop();
        view_->setNumberFieldEnabled(true);
    });
    sms_thread_var_s = 0;
    running_ = false;
}

bool Send_SMS_Func_Android::phoneReady() {
    QString error;
    if (!android::CheckConnection(&error)) {
        android::Show_Not_Ready(error, kNoDeviceForSending);
        return false;
    }
    if (andcntr == 0) {
        ++andcntr;
        Show_MessageBox(kSendingSecurityWarning);
    }
    return true;
}

void Send_SMS_Func_Android::recordItem(const AndroidSendRequest& request, const QString& number,
                                       const QString& message) {
    if (request.options.saveSentItems &&
        !stores::Append_Sent_Item(kAndroidMode, {number, message, runDate_, QString("")})) {
        Show_NSLog_Message(QStringLiteral("sent item of %1 could not be written").arg(number));
    }
    // One look into the templates store per distinct message of the run, not one per item.
    if (request.options.saveTemplates && !Trim_Str(message).isEmpty() &&
        !templatesSaved_.contains(message)) {
        stores::Save_Composed_Template(message);
        templatesSaved_.insert(message);
    }
}

void Send_SMS_Func_Android::SMS_Sent_By_Single_Shot_Mode(const AndroidSendRequest& request) {
    const int total = static_cast<int>(request.list.size());
    post([this, total] {
        view_->showSingleShotSheet(QString::number(total));
        view_->setSingleShotBar(0);
        view_->setSingleShotStatus(kInitializingDevice);
    });
    startAnimation(true);
    const auto closeSheet = [this] {
        stopAnimation();
        post([this] { view_->closeSingleShotSheet(); });
    };
    if (!phoneReady()) {
        aborted_ = true;
        closeSheet();
        return;
    }
    android::Send_DEL_File_Command_To_Phone();
    pauseRunning_ = false;
    stop_ = false;

    if (!probeMessageStorage(request)) {
        return;
    }
    bool fileMade = false;
    const QList<composer::ListItem> listed = writeMessageFile(request, &fileMade);

    post([this] { view_->setSingleShotStatus(kSendingInProgress); });
    const bool pushed = fileMade && android::Save_File_To_Phone_Storage(android::kMessageFileName);
    bool started = false;
    if (pushed) {
        pacing::wait(2.0);
        const android::AdbCall start = android::Send_File_Form_Command();
        started = !android::Activity_Start_Failed(start);
        if (!started) {
            aborted_ = true;
            closeSheet();
            Show_MessageBox(kDeviceConnectionError);
        }
    } else {
        aborted_ = true;
        closeSheet();
        Show_MessageBox(android::kStorageInaccessible);
    }
    if (started) {
        // The phone has the list: now, and only now, the items count as handed over.
        for (const composer::ListItem& item : listed) {
            recordItem(request, item.Number, item.Message);
        }
        handedOver_ = static_cast<int>(listed.size());
        // The companion reads the file meanwhile; it is removed from both sides afterwards.
        pacing::wait(10.0);
    }
    Delete_File(android::Local_File_Path(android::kMessageFileName));
    android::Send_DEL_File_Command_To_Phone();
    if (started) {
        pacing::wait(10.0);
    }
    closeSheet();
    if (request.list.isEmpty()) {
        aborted_ = true;
    }
    if (!stop_ && !aborted_) {
        Show_MessageBox(android::kSendingCompleted);
    }
}

void Send_SMS_Func_Android::Stop_Sending_Pressed() {
    if (!running_) {
        return;
    }
    if (!Show_YES_NO_MessageBox(kStopQuestion)) {
        return;
    }
    stop_ = true;
    // A running pause ends at once.
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    if (view_) {
        view_->setPauseLabel(QString(""));
    }
}

void Send_SMS_Func_Android::Wait_For_Run() {
    worker_.wait();
}

// The storage probe: an empty message file must reach the phone before any is written. False,
// with the sheet closed, when the run cannot go on in single-shot mode: the user stopped it, or
// chose the one-by-one mode, which has then run in its place.
bool Send_SMS_Func_Android::probeMessageStorage(const AndroidSendRequest& request) {
    {
        QFile probe;
        if (android::Open_New_Local_File(probe, android::kMessageFileName)) {
            probe.close();
        }
    }
    if (android::Save_File_To_Phone_Storage(android::kMessageFileName)) {
        pacing::wait(2.0);
        return true;
    }
    const int code = askOnWindowThread([this] { return view_->runFileCreationFailSS(); });
    if (code != 1 && code != 0) {
        return true;
    }
    aborted_ = true;
    stopAnimation();
    post([this] { view_->closeSingleShotSheet(); });
    Delete_File(android::Local_File_Path(android::kMessageFileName));
    if (code == 1) {
        post([this] {
            composer_.Android_Sending_Mode(false);
            view_->showOneByOneMode();
        });
        AndroidSendRequest oneByOne = request;
        oneByOne.singleShot = false;
        SMS_Sent_By_One_By_One_Mode(oneByOne);
    }
    return false;
}

}  // namespace tesk::sending
