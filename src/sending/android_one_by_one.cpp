// The one-by-one mode: one activity start per message, the live sheet, pauses and stop.
#include "android/adb_lines.h"
#include "android/android_detection.h"
#include "android/companion_delivery.h"
#include "checks/number_checks.h"
#include "composer/message_rules.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "sending/android_sending.h"

namespace tesk::sending {

namespace {

// How one message went.
enum class Outcome {
    HandedOver,  // the companion has it
    NotSent,     // the phone could not store it; the run goes on (or stops, if the user said so)
    NotStarted,  // the phone stored it but the companion did not start: the run ends
    PhoneLost,   // the phone is gone: the run ends
};

// A start that never came back counts as a lost phone: the phone did not answer within the whole
// time-out, and going on would only wait out the same time-out (and the fallback's longer one)
// for every message left.
bool phoneLostBy(const android::AdbCall& call) {
    return !call.completed() || android::Phone_Lost_In(call.output);
}

// Plain text travels as an intent extra. NotSent when the start failed: the file way is next.
Outcome handOverAsExtra(const QString& number, const QString& message) {
    const android::AdbCall call = android::Send_AN_MSG_Command(number, message, 0);
    if (phoneLostBy(call)) {
        return Outcome::PhoneLost;
    }
    if (android::Activity_Start_Failed(call)) {
        return Outcome::NotSent;
    }
    pacing::wait(2.0);
    return Outcome::HandedOver;
}

// The message goes to the phone as the one-by-one file and a start with the number alone makes
// the companion read it.
Outcome handOverThroughFile(const QString& number, const QString& message) {
    pacing::wait(2.0);
    const QString local = android::Local_File_Path(android::kOneByOneFileName);
    const bool pushed = android::Write_One_By_One_File(message) &&
                        android::Save_File_To_Phone_Storage(android::kOneByOneFileName);
    if (!pushed) {
        Delete_File(local);
        // A push also fails when the phone went away: asking whether to skip a message for a
        // phone that is not there would be the wrong question.
        const QString name = android::Get_Android_Device();
        const bool gone =
            name.isEmpty() || name.contains(QLatin1String("offline"), Qt::CaseInsensitive);
        return gone ? Outcome::PhoneLost : Outcome::NotSent;
    }
    pacing::wait(2.0);
    const android::AdbCall call = android::Send_AN_MSG_Command(number, QString(), 0);
    Delete_File(local);
    // Storage worked; asking whether to skip a message that "could not be stored" would be
    // untrue, and the next start would fail the same way.
    const Outcome outcome = phoneLostBy(call)                      ? Outcome::PhoneLost
                            : android::Activity_Start_Failed(call) ? Outcome::NotStarted
                                                                   : Outcome::HandedOver;
    pacing::wait(2.0);
    return outcome;
}

// The outcomes that end the run, after telling the user why; false for the others.
bool endsRun(Outcome outcome, const QString& number) {
    if (outcome == Outcome::PhoneLost) {
        Show_MessageBox(kDeviceConnectionError);
        return true;
    }
    if (outcome == Outcome::NotStarted) {
        Show_MessageBox(android::Companion_Not_Started_Message(
            QStringLiteral("the message to %1 and those after it were not sent").arg(number)));
        return true;
    }
    return false;
}

}  // namespace

void Send_SMS_Func_Android::SMS_Sent_By_One_By_One_Mode(const AndroidSendRequest& request) {
    // A run that falls back from single-shot is a run of its own from here on.
    aborted_ = false;
    skipAll_ = false;
    const int total = static_cast<int>(request.list.size());
    openOneByOneSheet(total);
    if (!phoneReady()) {
        aborted_ = true;
        closeOneByOneSheet();
        return;
    }
    android::Send_DEL_File_Command_To_Phone();

    const bool delayed = request.options.delayedDelivery;
    const PauseSettings pause =
        delayed ? Read_Pause_Settings(request.countText, request.pauseText) : PauseSettings{};
    pauseRunning_ = false;
    stop_ = false;
    post([this] {
        view_->setProgressPartsVisible(true);
        view_->setStopEnabled(true);
    });

    const QList<Skip> reasons = Skip_Reasons(request.list, request.options, request.excluded);
    int counted = 0;    // handed-over messages since the last pause
    int attempted = 0;  // messages tried and not excluded or skipped as duplicates
    for (int i = 0; i < total && !stop_; ++i) {
        const QString number = request.list.at(i).Number;
        const QString message = composer::Cut_Message(request.list.at(i).Message);
        showMessageRow(i, total, number);
        if (reasons.at(i) != Skip::None) {
            const QString text =
                number + (reasons.at(i) == Skip::Excluded ? kIsExcluded : kIsSkipped);
            post([this, text] { view_->setCurrentNumber(text); });
            pacing::wait(1.0);
            continue;
        }

        // Plain messages travel as an intent extra; anything the phone's command line might not
        // carry intact goes through the file. So does a blank message the user chose to send:
        // a start with the number alone makes the phone read the file, which must then hold
        // this message and not whatever an earlier one left there.
        const bool asExtra =
            !Trim_Str(message).isEmpty() && !request.options.unicode && !hasNonEnglishText(message);
        Outcome outcome = asExtra ? handOverAsExtra(number, message) : Outcome::NotSent;
        if (outcome == Outcome::NotSent) {
            outcome = handOverThroughFile(number, message);
        }
        if (outcome == Outcome::NotSent && !goOnAfterStorageFailure()) {
            continue;  // the loop test ends the run
        }
        if (endsRun(outcome, number)) {
            aborted_ = true;
            break;
        }
        ++attempted;
        if (outcome == Outcome::HandedOver) {
            ++handedOver_;
            ++counted;
            recordItem(request, number, message);
        }
        if (delayed && pause.everyMessages > 0 && counted == pause.everyMessages) {
            counted = 0;
            if (pause.pauseMs > 0 && i + 1 < total && !stop_) {
                runPause(pause.pauseMs);
            }
        }
        if (!stop_ && i + 1 < total) {
            pacing::wait(2.0);
        }
    }

    android::Send_DEL_File_Command_To_Phone();
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    closeOneByOneSheet();
    if (request.list.isEmpty()) {
        aborted_ = true;
    }
    if (!stop_ && !aborted_) {
        Show_MessageBox(One_By_One_End_Message(attempted, handedOver_));
    }
}

QString One_By_One_End_Message(int attempted, int handedOver) {
    if (handedOver >= attempted) {
        return android::kSendingCompleted;
    }
    if (handedOver == 0) {
        const QString what =
            attempted == 1 ? QStringLiteral("the message could not be stored on it and was skipped")
                           : QStringLiteral(
                                 "none of the %1 messages could be stored on it, and "
                                 "each was skipped")
                                 .arg(attempted);
        return QStringLiteral(
                   "No message was handed to the phone: %1.\n\nCheck that the phone "
                   "is unlocked and its storage is not full, then send again.")
            .arg(what);
    }
    return android::kSendingCompleted +
           QStringLiteral(
               "\n\n%1 of %2 messages could not be stored on the phone and were "
               "skipped; they were not sent.")
               .arg(attempted - handedOver)
               .arg(attempted);
}

void Send_SMS_Func_Android::runPause(qint64 pauseMs) {
    ++pauses_;
    pauseLeftMs_ = pauseMs;
    stopAnimation();
    post([this, pauseMs] {
        view_->setPauseLabel(Pause_Label(pauseMs));
        view_->setNumberPartsVisible(false);
        view_->setCurrentBar(0);
    });
    pauseLeftMs_ = pauseMs - 1000;
    pauseRunning_ = true;
    // Counted down in whole seconds, so a stop ends the pause within one.
    qint64 remaining = pauseLeftMs_;
    while (remaining > 0 && !stop_ && pauseRunning_) {
        pacing::wait(1.0);
        if (stop_ || !pauseRunning_) {
            break;
        }
        const qint64 shown = remaining;
        remaining -= 1000;
        pauseLeftMs_ = remaining;
        post([this, shown] {
            if (pauseRunning_) {
                view_->setPauseLabel(Pause_Label(shown));
            }
        });
    }
    if (!stop_ && pauseRunning_) {
        pacing::wait(1.0);  // the last second of the chosen length
    }
    pauseLeftMs_ = 0;
    pauseRunning_ = false;
    post([this] {
        view_->setPauseLabel(QString(""));
        view_->setNumberPartsVisible(true);
    });
    if (!stop_) {
        startAnimation(false);
    }
}

void Send_SMS_Func_Android::openOneByOneSheet(int total) {
    post([this, total] {
        view_->showSendSheet(total, QString::number(total));
        view_->setStopEnabled(false);
        view_->setTotalBar(0);
        view_->setCurrentBar(0);
        view_->setPauseLabel(QString(""));
        view_->setProgressPartsVisible(false);
        view_->setCurrentCountLabel(kInitializingDevice);
    });
    startAnimation(false);
}

void Send_SMS_Func_Android::showMessageRow(int row, int total, const QString& number) {
    post([this, row, total, number] {
        view_->selectListRow(row);
        view_->setTotalBar(row + 1);
        view_->setCurrentCountLabel(QStringLiteral("%1 / %2 Message").arg(row + 1).arg(total));
        view_->setCurrentNumber(number);
        view_->setCurrentBar(100);
    });
}

void Send_SMS_Func_Android::closeOneByOneSheet() {
    stopAnimation();
    post([this] {
        view_->setPauseLabel(QString(""));
        view_->closeSendSheet();
    });
}

// A message could not be stored on the phone: the user skips it (or every such message from
// now on) or stops the run. False when the run stops.
bool Send_SMS_Func_Android::goOnAfterStorageFailure() {
    if (skipAll_) {
        return true;
    }
    bool skipForAll = false;
    const int code =
        askOnWindowThread([this, &skipForAll] { return view_->runFileCreationFail(&skipForAll); });
    if (code == 0) {
        skipAll_ = false;
        stop_ = true;
        return false;
    }
    skipAll_ = skipForAll;
    return true;
}

}  // namespace tesk::sending
