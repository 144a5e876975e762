#include "sms-cli/cli_dialogs.h"

#include "devices/device_details.h"
#include "devices/gsm_device_list.h"
#include "sending/sms_sending.h"
#include "sms-cli/cli_terminal.h"

namespace tesk::cli {
namespace {

QString withoutLeadingLineFeed(const QString& text) {
    return text.startsWith(QLatin1Char('\n')) ? text.mid(1) : text;
}

enum class Answer { Yes, No, YesWhenInterrupted };

struct QuestionRule {
    QString part;  // a piece of the question's text
    Answer answer;
};

// First match wins, so the longer, more specific texts come before the short ones.
const QList<QuestionRule>& questionRules() {
    static const QList<QuestionRule> rules = {
        // A device of the choice cannot be used: leave it out and keep the others.
        {QStringLiteral("Are you sure you want to continue without selecting device?"),
         Answer::Yes},
        // Some devices stopped answering before the run: send through the others.
        {QStringLiteral("Do you want to continue sending process with other connected device?"),
         Answer::Yes},
        // A device that does not look SMS capable is not trusted with a campaign.
        {devices::kNoSmsCapabilityQuestion, Answer::No},
        // A blank message goes nowhere unless a person confirms it.
        {QStringLiteral("This action will send blank message"), Answer::No},
        {sending::kStopQuestion, Answer::YesWhenInterrupted},
        {withoutLeadingLineFeed(devices::kStopScanQuestion), Answer::YesWhenInterrupted},
        // The pause question of the stop button.
        {QStringLiteral("Are you sure you want to continue?"), Answer::YesWhenInterrupted},
    };
    return rules;
}

int buttonIndex(const QStringList& buttons, const QString& title) {
    return static_cast<int>(buttons.indexOf(title));
}

}  // namespace

CliDialogs::CliDialogs() : previous_(tesk::setDialogs(this)) {}

CliDialogs::~CliDialogs() {
    tesk::setDialogs(previous_);
}

void CliDialogs::setFilesToOpen(const QStringList& paths) {
    std::lock_guard lock(mutex_);
    filesToOpen_ = paths;
}

void CliDialogs::setReport(const QString& path, bool html, ReportStatus status) {
    std::lock_guard lock(mutex_);
    reportPath_ = path;
    reportHtml_ = html;
    reportStatus_ = status;
}

int CliDialogs::noticeCount(const QString& text) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(notices_.count(text));
}

int CliDialogs::ask(const DialogRequest& request) {
    if (request.buttons.size() <= 1) {
        const QString text = withoutLeadingLineFeed(request.message);
        {
            std::lock_guard lock(mutex_);
            notices_.append(text);
        }
        Print_Error_Text(request.informativeText.isEmpty()
                             ? text
                             : text + QLatin1Char('\n') + request.informativeText);
        return request.buttons.isEmpty() ? -1 : 0;
    }
    const int pressed = answerQuestion(request);
    Print_Error_Text(withoutLeadingLineFeed(request.message) + QStringLiteral("\n-> ") +
                     request.buttons.value(pressed, QStringLiteral("(none)")));
    return pressed;
}

int CliDialogs::answerQuestion(const DialogRequest& request) {
    const QStringList& buttons = request.buttons;
    // The export questions take the choices of the command line.
    if (request.message.contains(QLatin1String("Which sent items do you want to export?"))) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(reportStatus_);
    }
    if (request.message.contains(QLatin1String("In which format do you want to export?"))) {
        std::lock_guard lock(mutex_);
        return reportHtml_ ? 1 : 0;
    }
    // The list starts empty, but should it not: the imported numbers go after it.
    if (request.message.contains(QLatin1String("Do you want to replace the current list?"))) {
        return buttonIndex(buttons, QStringLiteral("No"));
    }
    const int yes = buttonIndex(buttons, QStringLiteral("Yes"));
    const int no = buttonIndex(buttons, QStringLiteral("No"));
    for (const QuestionRule& rule : questionRules()) {
        if (!request.message.contains(rule.part)) {
            continue;
        }
        const bool answerYes = rule.answer == Answer::Yes ||
                               (rule.answer == Answer::YesWhenInterrupted && interrupted_.load());
        return answerYes ? yes : no;
    }
    // Anything else is declined: a script never agrees to what nobody has reviewed.
    for (const QString& safe : {QStringLiteral("No"), QStringLiteral("Cancel")}) {
        if (const int index = buttonIndex(buttons, safe); index >= 0) {
            return index;
        }
    }
    return static_cast<int>(buttons.size()) - 1;
}

QStringList CliDialogs::chooseFilesToOpen(const FileRequest&) {
    std::lock_guard lock(mutex_);
    return filesToOpen_;
}

QString CliDialogs::chooseFileToSave(const FileRequest&) {
    std::lock_guard lock(mutex_);
    return reportPath_;
}

}  // namespace tesk::cli
