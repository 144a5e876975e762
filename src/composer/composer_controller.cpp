#include "composer/composer_controller.h"

#include "checks/number_checks.h"
#include "composer/composer_internal.h"
#include "composer/message_rules.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/text_helpers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <utility>

namespace tesk::composer {
namespace {

const QString kExportRule = QString(76, QLatin1Char('='));

}  // namespace

QString Clean_Valid_Number(const QString& raw) {
    const QString number = Clean_Number_Form(raw);
    if (number.isEmpty() || !isValidPhoneNumber(number)) {
        return QString();
    }
    // A leading "+" stands for "00"; any other "+" makes the number invalid.
    if (number.indexOf(QLatin1Char('+'), 1) >= 0) {
        return QString();
    }
    // "+" alone (or with hyphens around it) passes the syntax check, yet reaches nobody.
    const bool hasDigit = std::any_of(number.begin(), number.end(), [](QChar c) {
        return c.unicode() >= u'0' && c.unicode() <= u'9';
    });
    return hasDigit ? number : QString();
}

ComposerController::ComposerController(ComposerKind kind)
    : kind_(kind), windowThread_(std::this_thread::get_id()) {}

ComposerController::~ComposerController() {
    cancelImport_ = true;  // the import worker, declared last, joins before anything else goes
}

void ComposerController::setView(ComposerView* view) {
    view_ = view;
}

void ComposerController::setGuiPoster(GuiPoster poster) {
    poster_ = std::move(poster);
}

void ComposerController::Set_Exclusion_Loader(ExclusionLoader loader) {
    exclusionLoader_ = std::move(loader);
}

bool ComposerController::onWindowThread() const {
    return std::this_thread::get_id() == windowThread_;
}

void ComposerController::toView(std::function<void(ComposerView&)> call) {
    if (view_.load() == nullptr) {
        return;
    }
    if (onWindowThread() || !poster_) {
        call(*view_.load());
        return;
    }
    poster_([this, call = std::move(call)] {
        if (ComposerView* view = view_.load()) {
            call(*view);
        }
    });
}

// ---- state ----

QString ComposerController::Table_Value(int row, const QString& column) const {
    return list_.at(row).value(column);
}

QString ComposerController::Exclusion_Table_Value(int row, const QString& column) const {
    return exclusions_.at(row).value(column);
}

QString ComposerController::numberField() const {
    std::lock_guard lock(fieldsMutex_);
    return numberField_;
}

QString ComposerController::composerText() const {
    std::lock_guard lock(fieldsMutex_);
    return composerText_;
}

QString ComposerController::prevComposerMsg() const {
    std::lock_guard lock(fieldsMutex_);
    return prevComposerMsg_;
}

QString ComposerController::messageIS() const {
    std::lock_guard lock(fieldsMutex_);
    return messageIS_;
}

QString ComposerController::charCountLabel() const {
    std::lock_guard lock(fieldsMutex_);
    return charCountLabel_;
}

QString ComposerController::List_Count_Text() const {
    return QStringLiteral("Total Numbers : %1").arg(list_.count());
}

ComposerOptions ComposerController::options() const {
    return {skipDuplicate_, exclusion_, saveSentItems_, saveTemplates_, unicode_, delayedDelivery_};
}

ComposerControls ComposerController::controls() const {
    const bool delayedOffered = kind_ != ComposerKind::Android || !androidSingleShot_;
    return {options(),          messageTypeIndex_,  delayedChoicesEnabled_,
            delayedCountIndex_, delayedPauseIndex_, androidSingleShot_,
            delayedOffered,     pacingIndex_,       deviceLimit_,
            deviceLimitPerDay_, keepGoing_,         deliveryReports_};
}

QStringList ComposerController::Pacing_Choices() {
    return {QStringLiteral("Standard"), QStringLiteral("Fast")};
}

void ComposerController::Pacing_Selected(int index) {
    pacingIndex_ = index == 1 ? 1 : 0;
}

void ComposerController::Device_Limit(int limit, bool perDay) {
    deviceLimit_ = std::max(limit, 0);
    deviceLimitPerDay_ = perDay;
}

QStringList ComposerController::Message_Types() {
    return {QStringLiteral("Notification"), QStringLiteral("Standard")};
}

bool ComposerController::Is_Flash_Message() const {
    return Message_Types().value(messageTypeIndex_) == QStringLiteral("Notification");
}

QStringList ComposerController::Delayed_Count_Entries() {
    return {"1",  "2",   "3",   "4",   "5",   "10",  "15",  "20",  "25",  "50",
            "75", "100", "150", "200", "250", "300", "400", "500", "1000"};
}

QStringList ComposerController::Delayed_Pause_Entries() {
    // Spacing as shown: after trimming, the number fills two characters and the unit letter is
    // the fourth, which is how the sending run reads them back.
    return {"5  Seconds",  "10 Seconds",  "15 Seconds",  "20 Seconds",  "25 Seconds",
            "30 Seconds",  "35 Seconds",  "40 Seconds",  "45 Seconds",  "50 Seconds",
            "55 Seconds",  " 1  Minute",  " 2  Minutes", " 3  Minutes", " 4  Minutes",
            " 5  Minutes", " 6  Minutes", " 7  Minutes", " 8  Minutes", " 9  Minutes",
            "10 Minutes",  "20 Minutes",  "30 Minutes",  "40 Minutes",  "50 Minutes",
            " 1  Hour",    " 2  Hours",   " 4  Hours",   " 5  Hours",   " 8  Hours",
            "10 Hours",    "12 Hours"};
}

QString ComposerController::Delayed_Count_Text() const {
    return delayedChoicesEnabled_ ? Delayed_Count_Entries().value(delayedCountIndex_) : QString();
}

QString ComposerController::Delayed_Pause_Text() const {
    return delayedChoicesEnabled_ ? Delayed_Pause_Entries().value(delayedPauseIndex_) : QString();
}

void ComposerController::showControls() {
    const ComposerControls shown = controls();
    toView([shown](ComposerView& view) { view.showControls(shown); });
}

// ---- window events ----

void ComposerController::Set_Selected_Rows(const QList<int>& rows) {
    selectedRows_ = rows;
}

void ComposerController::setNumberFieldAndView(const QString& text) {
    {
        std::lock_guard lock(fieldsMutex_);
        numberField_ = text;
    }
    toView([text](ComposerView& view) { view.setNumberField(text); });
}

void ComposerController::controlTextDidChange(const QString& numberField) {
    const QString cut = Cut_Number(numberField);
    if (cut.size() != numberField.size()) {
        setNumberFieldAndView(cut);
        return;
    }
    std::lock_guard lock(fieldsMutex_);
    numberField_ = numberField;
}

void ComposerController::controlTextDidEndEditing(bool returnKey) {
    if (returnKey && !Trim_Str(numberField()).isEmpty()) {
        Add_number_To_List();
    }
}

void ComposerController::textDidChange(const QString& composerText) {
    const QString cut = Cut_Message(composerText);
    {
        std::lock_guard lock(fieldsMutex_);
        composerText_ = cut;
        if (cut.size() != composerText.size()) {
            messageIS_ = cut;
        }
    }
    if (cut.size() != composerText.size()) {
        toView([cut](ComposerView& view) { view.setComposerText(cut); });
    }
    recountComposer();
}

void ComposerController::recountComposer(bool warn) {
    const QString text = composerText();
    const QString remembered = charCountLabel();
    const QString label = Long_SMS_Calculation(text, remembered, warn);
    {
        std::lock_guard lock(fieldsMutex_);
        charCountLabel_ = label;
    }
    toView([label](ComposerView& view) { view.setCharCountLabel(label); });
    if (kind_ == ComposerKind::Gsm) {
        const QString basis = Count_Basis_Text(Count_Basis());
        toView([basis](ComposerView& view) { view.setCharCountToolTip(basis); });
    }
}

void ComposerController::recountForNumbers() {
    // Cheap unless the longest number changed, which happens a handful of times in an import.
    if (kind_ == ComposerKind::Gsm && list_.longestNumberDigits() != countedDigits_.load()) {
        recountComposer(false);
    }
}

void ComposerController::Set_Sending_Modes(const SendingModes& modes) {
    {
        std::lock_guard lock(fieldsMutex_);
        if (sendingModes_ == modes) {
            return;
        }
        sendingModes_ = modes;
    }
    recountComposer(false);
}

CountBasis ComposerController::Count_Basis() const {
    CountBasis basis;
    basis.numberDigits = list_.longestNumberDigits();
    std::lock_guard lock(fieldsMutex_);
    basis.modes = sendingModes_;
    return basis;
}

MessageSize ComposerController::measure(const QString& text) const {
    if (kind_ == ComposerKind::Android) {
        return Measure_Message(text, unicode_);
    }
    const CountBasis basis = Count_Basis();
    countedDigits_ = basis.numberDigits;
    return Measure_Message(text, unicode_, basis);
}

void ComposerController::Skip_Duplicate_Chk(bool on) {
    skipDuplicate_ = on;
}

void ComposerController::Reload_Exclusions() {
    if (exclusionLoader_) {
        exclusionLoader_(*this);
    }
}

void ComposerController::Exclusion_Chk(bool on) {
    exclusion_ = on;
    // Switching off keeps the loaded numbers; they are simply not consulted.
    if (on && exclusionLoader_) {
        exclusionLoader_(*this);
    }
}

void ComposerController::Save_Sent_Item_Chk(bool on) {
    saveSentItems_ = on;
}

void ComposerController::Save_Templates_Chk(bool on) {
    saveTemplates_ = on;
}

void ComposerController::Unicode_Chk(bool on) {
    unicode_ = on;
    recountComposer();
}

void ComposerController::Delayed_Delivry_Chk(bool on) {
    delayedDelivery_ = on;
    delayedChoicesEnabled_ = on;
    delayedCountIndex_ = on ? kDefaultCountIndex : -1;
    delayedPauseIndex_ = on ? kDefaultPauseIndex : -1;
    showControls();
}

void ComposerController::Msg_Type_Selected(int index) {
    messageTypeIndex_ = index;
}

void ComposerController::Delayed_Choices(bool enabled, int countIndex, int pauseIndex) {
    delayedChoicesEnabled_ = enabled;
    delayedCountIndex_ = countIndex;
    delayedPauseIndex_ = pauseIndex;
}

void ComposerController::Android_Sending_Mode(bool singleShot) {
    if (singleShot) {
        Single_Shot_Mode_Radio();
    } else {
        One_By_One_Mode_Radio();
    }
}

void ComposerController::Single_Shot_Mode_Radio() {
    // The phone works through a single-shot list by itself: there is nothing to pause.
    androidSingleShot_ = true;
    delayedDelivery_ = false;
    delayedChoicesEnabled_ = false;
    delayedCountIndex_ = delayedPauseIndex_ = -1;
    showControls();
}

void ComposerController::One_By_One_Mode_Radio() {
    androidSingleShot_ = false;
    showControls();
}

// ---- exclusion numbers ----

void ComposerController::Create_Exclusion_List(const QString& number) {
    if (exclusions_.append(number)) {
        toView([](ComposerView& view) { view.redrawExclusionTable(); });
    }
}

void ComposerController::Fill_Exclusion_Num_List(const QStringList& numbers) {
    exclusions_.clear();
    for (const QString& number : numbers) {
        exclusions_.append(number);
    }
    toView([](ComposerView& view) { view.redrawExclusionTable(); });
}

// ---- recipient list ----

void ComposerController::Add_number_To_List() {
    const auto reject = [this](const QString& text) {
        Show_MessageBox(text);
        toView([](ComposerView& view) { view.focus(Field::Number); });
    };
    // Every syntax failure (empty, misplaced "+", bad character, too long) gets the same text.
    const QString number = Clean_Valid_Number(numberField());
    if (number.isEmpty()) {
        return reject(texts::kInvalidNumber);
    }
    if (skipDuplicate_ && Check_Duplicate_Number(number) == 1) {
        return reject(texts::kNumberExists);
    }
    if (exclusion_ && Check_Exclusion_Number(number) == 1) {
        return reject(texts::kNumberExcluded);
    }
    Create_Num_Msg_List(number, composerText());
    toView([](ComposerView& view) { view.redrawTable(); });
    setNumberFieldAndView(QString());
    toView([](ComposerView& view) { view.focus(Field::Number); });
}

QString ComposerController::Num_Able_To_insert(const QString& rawNumber) const {
    Refusal refusal = Refusal::None;
    return Num_Able_To_insert(rawNumber, &refusal);
}

QString ComposerController::Num_Able_To_insert(const QString& rawNumber, Refusal* refusal) const {
    const QString number = Clean_Valid_Number(rawNumber);
    *refusal = number.isEmpty()                                        ? Refusal::Invalid
               : skipDuplicate_ && Check_Duplicate_Number(number) == 1 ? Refusal::Duplicate
               : exclusion_ && Check_Exclusion_Number(number) == 1     ? Refusal::Excluded
                                                                       : Refusal::None;
    return *refusal == Refusal::None ? number : QString();
}

void ComposerController::Create_Num_Msg_List(const QString& number, const QString& message) {
    const QString trimmed = Trim_Str(number);
    if (trimmed.isEmpty()) {
        return;
    }
    list_.append({trimmed, message});
    Update_List_Count();
    // prev_composer_msg keeps the first non-empty composer text used since the last reset.
    std::lock_guard lock(fieldsMutex_);
    if (prevComposerMsg_.isEmpty() && !composerText_.isEmpty()) {
        prevComposerMsg_ = composerText_;
    }
}

uint8_t ComposerController::Check_Duplicate_Number(const QString& number) const {
    return list_.containsNumber(number) ? 1 : 0;
}

uint8_t ComposerController::Check_Exclusion_Number(const QString& number) const {
    return exclusions_.contains(number) ? 1 : 0;
}

uint8_t ComposerController::Add_Number_In_List_First() {
    if (Trim_Str(numberField()).isEmpty()) {
        return 0;
    }
    Show_MessageBox(texts::kInsertEnteredNumber);
    toView([](ComposerView& view) { view.focus(Field::Number); });
    return 1;
}

uint8_t ComposerController::Blank_Msg_Chk() const {
    // A run sends each row's own message, never the composer text: whatever the composer holds,
    // a list without any message would go out empty.
    return list_.allMessagesEmpty() ? 1 : 0;
}

int ComposerController::Blank_Message_Count() const {
    return list_.emptyMessageCount();
}

void ComposerController::Update_List_Count() {
    recountForNumbers();
    const int count = list_.count();
    if (onWindowThread() || !poster_) {
        const QString text = List_Count_Text();
        toView([text, count](ComposerView& view) {
            view.setCountLabel(text);
            if (count == 10) {
                view.redrawTable();
            }
        });
        return;
    }
    // From the import worker: the 10th row still redraws the table once, while label updates are
    // folded so that a long import does not flood the window thread with one task per number.
    if (count == 10) {
        toView([](ComposerView& view) { view.redrawTable(); });
    }
    if (!countPending_.exchange(true)) {
        toView([this](ComposerView& view) {
            countPending_ = false;
            view.setCountLabel(List_Count_Text());
        });
    }
}

void ComposerController::Clear_Sel_Btn() {
    if (list_.isEmpty()) {
        Show_MessageBox(texts::kListEmpty);
        toView([](ComposerView& view) { view.focus(Field::Table); });
        return;
    }
    if (selectedRows_.isEmpty()) {
        Show_MessageBox(texts::kSelectAtLeastOne);
        toView([](ComposerView& view) { view.focus(Field::Table); });
        return;
    }
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    list_.removeRows(selectedRows_);
    selectedRows_ = list_.isEmpty() ? QList<int>() : QList<int>{0};
    const QList<int> selection = selectedRows_;
    toView([selection](ComposerView& view) {
        view.selectRows(selection);
        view.redrawTable();
    });
    Update_List_Count();
    toView([](ComposerView& view) { view.setPleaseWait(false); });
}

void ComposerController::clearListAndView() {
    list_.clear();
    selectedRows_.clear();
    toView([](ComposerView& view) { view.redrawTable(); });
    Update_List_Count();
}

void ComposerController::Clear_All_Btn() {
    if (list_.isEmpty()) {
        Show_MessageBox(texts::kListEmpty);
        return;
    }
    if (Show_YES_NO_MessageBox(QStringLiteral(
            "\nThis option will clear the entire list contents. Are you sure you want to continue "
            "clearing the entire list?"))) {
        clearListAndView();
    }
}

void ComposerController::Reset_Btn() {
    if (!Show_YES_NO_MessageBox(QStringLiteral("\nAre you sure you want to continue to reset?"))) {
        return;
    }
    {
        std::lock_guard lock(fieldsMutex_);
        prevComposerMsg_.clear();
        composerText_.clear();
        charCountLabel_ = QStringLiteral("0 Characters");
    }
    setNumberFieldAndView(QString());
    toView([](ComposerView& view) {
        view.setComposerText(QString());
        view.setCharCountLabel(QStringLiteral("0 Characters"));
    });
    clearListAndView();
    skipDuplicate_ = exclusion_ = saveSentItems_ = saveTemplates_ = unicode_ = delayedDelivery_ =
        false;
    messageTypeIndex_ = 1;
    pacingIndex_ = 0;
    deviceLimit_ = 0;
    deviceLimitPerDay_ = false;
    keepGoing_ = false;
    deliveryReports_ = false;
    delayedChoicesEnabled_ = false;
    delayedCountIndex_ = delayedPauseIndex_ = -1;
    if (kind_ == ComposerKind::Android) {
        androidSingleShot_ = true;
    }
    showControls();
    toView([](ComposerView& view) { view.focus(Field::Number); });
}

void ComposerController::doubleClickInTable() {
    if (selectedRows_.isEmpty()) {
        return;
    }
    if (selectedRows_.size() > 1) {
        Show_MessageBox(texts::kSelectOnlyOne);
        return;
    }
    OnGetSelected();
}

void ComposerController::OnGetSelected() {
    if (list_.isEmpty() || selectedRows_.size() != 1) {
        return;
    }
    const int row = selectedRows_.first();
    if (row < 0 || row >= list_.count()) {
        return;
    }
    const ListItem item = list_.at(row);
    const EditRequest request{row, item.Number, item.Message, Message_Count_Text(item.Message)};
    ComposerView* view = view_.load();
    if (view != nullptr && view->runUpdateNumSmsDialog(request) == 1) {
        view->redrawTable();
    }
}

void ComposerController::Export_Btn() {
    if (list_.isEmpty()) {
        Show_MessageBox(texts::kListEmpty);
        toView([](ComposerView& view) { view.focus(Field::Number); });
        return;
    }
    QString path = tesk::dialogs().chooseFileToSave({QStringLiteral("Export Contact List"),
                                                     QString(),
                                                     QStringLiteral("Contact List.txt"),
                                                     {QStringLiteral("Text files (*.txt)")}});
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().toLower() != QStringLiteral("txt")) {
        path += QStringLiteral(".txt");
    }
    bool written = false;
    try {
        Delete_File(path);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            QString text = kExportRule +
                           QStringLiteral("\n\n\t\t\t[ Tesk SMS - Contact List ]\t\t\t\n\n") +
                           kExportRule + QStringLiteral("\n");
            for (const QString& number : list_.numbers()) {
                text += number + QStringLiteral("\n");
            }
            const QByteArray bytes = text.toUtf8();
            written = file.write(bytes) == bytes.size() && file.flush();
            file.close();
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Export_Btn exception: ") + QString::fromUtf8(e.what()));
        written = false;
    }
    if (!written) {
        Show_MessageBox(texts::kFileError);
        return;
    }
    toView([path](ComposerView& view) { view.offerToOpenExportedFile(path); });
}

// ---- message length ----

QString ComposerController::Long_SMS_Calculation(const QString& text, const QString& currentLabel,
                                                 bool openDialog) {
    const MessageSize size = measure(text);
    // The warning comes once per crossing: only while the label has not yet shown the
    // multi-part form.
    if (size.multiPart && openDialog && !currentLabel.contains(QStringLiteral("SMS"))) {
        toView(
            [this](ComposerView& view) { view.runAfter(1.0, [this] { Open_Long_sms_Dialog(); }); });
    }
    return composer::Message_Count_Text(size);
}

QString ComposerController::Message_Count_Text(const QString& text) const {
    return composer::Message_Count_Text(measure(text));
}

void ComposerController::Open_Long_sms_Dialog() {
    const bool ucs2 = measure(composerText()).ucs2;
    tesk::dialogs().ask({Long_Sms_Dialog_Text(ucs2), QString(), {QStringLiteral("OK")}});
}

}  // namespace tesk::composer
