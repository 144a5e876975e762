// Filling the recipient list from a file (on a worker thread) or from a pasted block. Every
// candidate goes through the silent acceptance rules and gets the composer text as its message.
#include "composer/composer_controller.h"
#include "composer/composer_internal.h"
#include "composer/import/number_import.h"
#include "core/dialogs.h"
#include "core/log.h"

#include <QRegularExpression>

#include <exception>

namespace tesk::composer {
namespace {

// False only for text the number check refuses whatever else happens to it: a character that
// is neither a digit, "+", "-" nor white space (the cleaning removes or trims those).
bool May_Be_A_Number(const QString& candidate) {
    for (const QChar c : candidate) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || c.isSpace())) {
            return false;
        }
    }
    return true;
}

// Phone numbers, even national ones without their area code, have at least this many digits;
// ids, dates and times that a file holds beside the numbers mostly have fewer.
constexpr int kFewestPhoneDigits = 7;
// The short numbers the question names one by one; the others are counted.
constexpr qsizetype kShortNumbersShown = 10;

QString Short_Numbers_Question(const QStringList& numbers) {
    QString text = QStringLiteral(
        "The following imported numbers have fewer than 7 digits and may be ids, dates or times "
        "rather than phone numbers:\n\n");
    text += numbers.mid(0, kShortNumbersShown).join(QLatin1Char('\n'));
    if (numbers.size() > kShortNumbersShown) {
        text += QStringLiteral("\n... and %1 more").arg(numbers.size() - kShortNumbersShown);
    }
    return text + QStringLiteral("\n\nDo you want to keep them in the list?");
}

// "4.47911E+11": a spreadsheet showed a long number in scientific notation and saved it so.
bool Is_Scientific_Notation(const QString& candidate) {
    static const QRegularExpression kScientific(
        QStringLiteral("^[+-]?[0-9]+([.,][0-9]+)?[Ee][+-]?[0-9]+$"));
    return kScientific.match(candidate).hasMatch();
}

// Digits and no letter: what someone wrote as a number, unlike a name, a header or a message.
bool Written_As_Number(const QString& candidate) {
    bool digit = false;
    for (const QChar c : candidate) {
        if (c.isLetter()) {
            // Only an exponent mark after a digit may be scientific notation; names and
            // messages, a million of them in a large CSV file, are spared the expression.
            return digit && (c == u'E' || c == u'e') && Is_Scientific_Notation(candidate);
        }
        digit = digit || c.isDigit();
    }
    return digit;
}

// Counts record by record what the acceptance rules made of the candidates. Duplicates and
// excluded numbers count one by one. A record (line, CSV row) that brought no number at all
// counts as one invalid number when something in it was written as a number; names, headers and
// messages count for nothing, and neither do the ids and dates beside a number that was taken.
class Tally_Keeper {
  public:
    explicit Tally_Keeper(ImportTally& tally) : tally_(tally) {}
    ~Tally_Keeper() { recordStart(); }
    Tally_Keeper(const Tally_Keeper&) = delete;
    Tally_Keeper& operator=(const Tally_Keeper&) = delete;

    void recordStart() {
        if (!recordTookANumber_ && writtenAsNumber_) {
            ++tally_.invalid;
            if (tally_.scientific.isEmpty()) {
                tally_.scientific = scientific_;
            }
        }
        recordTookANumber_ = false;
        writtenAsNumber_ = false;
        scientific_.clear();
    }

    void candidate(const QString& candidate, Refusal refusal) {
        switch (refusal) {
            case Refusal::None:
                break;
            case Refusal::Duplicate:
                ++tally_.duplicates;
                break;
            case Refusal::Excluded:
                ++tally_.excluded;
                break;
            case Refusal::Invalid:
                if (Written_As_Number(candidate)) {
                    writtenAsNumber_ = true;
                    if (scientific_.isEmpty() && Is_Scientific_Notation(candidate)) {
                        scientific_ = candidate;
                    }
                }
                return;
        }
        recordTookANumber_ = true;
    }

  private:
    ImportTally& tally_;
    bool recordTookANumber_ = false;
    bool writtenAsNumber_ = false;
    QString scientific_;  // of the record under way
};

// "Left out 7: 3 invalid, 2 duplicates, 2 excluded.", with a word on numbers a spreadsheet
// rounded; "" when nothing was left out.
QString Left_Out_Text(const ImportTally& tally) {
    if (tally.leftOut() == 0) {
        return QString();
    }
    QStringList reasons;
    if (tally.invalid > 0) {
        reasons.append(QStringLiteral("%1 invalid").arg(tally.invalid));
    }
    if (tally.duplicates > 0) {
        reasons.append(tally.duplicates == 1
                           ? QStringLiteral("1 duplicate")
                           : QStringLiteral("%1 duplicates").arg(tally.duplicates));
    }
    if (tally.excluded > 0) {
        reasons.append(QStringLiteral("%1 excluded").arg(tally.excluded));
    }
    QString text = QStringLiteral("Left out %1: %2.")
                       .arg(tally.leftOut())
                       .arg(reasons.join(QStringLiteral(", ")));
    if (!tally.scientific.isEmpty()) {
        text += QStringLiteral(
                    "\n\nNumbers such as %1 were saved by a spreadsheet in scientific notation, "
                    "which has lost their last digits. Format the column as text in the "
                    "spreadsheet and save the file again.")
                    .arg(tally.scientific);
    }
    return text;
}

QString Import_Summary_Text(const ImportTally& tally, const QString& phoneColumn) {
    QString text = tally.added == 1 ? QStringLiteral("Imported 1 number.")
                                    : QStringLiteral("Imported %1 numbers.").arg(tally.added);
    const QString leftOut = Left_Out_Text(tally);
    if (!leftOut.isEmpty()) {
        text += QLatin1Char(' ') + leftOut;
    }
    if (!phoneColumn.isEmpty()) {
        text += QStringLiteral(
                    "\n\nOnly the column \"%1\" was imported: the first line of the "
                    "file names it as the column of phone numbers.")
                    .arg(phoneColumn);
    }
    return text;
}

}  // namespace

int ComposerController::askReplaceOrAppend() {
    const int pressed = tesk::dialogs().ask(
        {QStringLiteral("\nDo you want to replace the current list?"),
         QStringLiteral("Yes replaces the numbers in the list, No adds the new numbers after "
                        "them, Cancel stops."),
         {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")}});
    return pressed == 0 || pressed == 1 ? pressed : 2;  // a dismissed box counts as Cancel
}

void ComposerController::showImportFailure(const ImportTally& tally) {
    const QString leftOut = Left_Out_Text(tally);
    if (leftOut.isEmpty()) {
        Show_MessageBox(texts::kImportFailure);
        return;
    }
    try {
        tesk::dialogs().ask(
            {QStringLiteral("\n") + texts::kImportFailure, leftOut, {QStringLiteral("OK")}});
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("showImportFailure exception: ") +
                           QString::fromUtf8(e.what()));
    }
}

void ComposerController::reportProgress(int numbersRead) {
    progressValue_ = numbersRead;
    if (!progressPending_.exchange(true)) {
        toView([this](ComposerView& view) {
            progressPending_ = false;
            view.setImportProgress(progressValue_);
        });
    }
}

bool ComposerController::Begin_Filling_List() {
    if (importRunning_) {
        return false;
    }
    if (Add_Number_In_List_First() == 1) {
        return false;
    }
    if (!list_.isEmpty()) {
        const int choice = askReplaceOrAppend();
        if (choice == 2) {
            return false;
        }
        if (choice == 0) {
            clearListAndView();
        }
    }
    return true;
}

void ComposerController::Load_Number() {
    if (!Begin_Filling_List()) {
        return;
    }
    const QStringList files = tesk::dialogs().chooseFilesToOpen(
        {QStringLiteral("Import Numbers"),
         QString(),
         QString(),
         {QStringLiteral("Number files (*.txt *.csv *.rtf)"), QStringLiteral("All files (*)")}});
    if (files.isEmpty() || files.first().isEmpty()) {
        return;
    }
    importRunning_ = true;
    cancelImport_ = false;
    // Disabled here rather than by the worker, so there is no moment in which the button works
    // while the import has already begun.
    toView([](ComposerView& view) { view.setSendEnabled(false); });
    import_.start([this, path = files.first()] { Load_NUM_Thread(path); });
}

void ComposerController::Load_NUM_Thread(const QString& path) {
    try {
        Load_Num_Func(path);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Load_NUM_Thread exception: ") +
                           QString::fromUtf8(e.what()));
    } catch (...) {
        Show_NSLog_Message(QStringLiteral("Load_NUM_Thread exception"));
    }
    toView([](ComposerView& view) {
        view.redrawTable();
        view.setSendEnabled(true);
    });
    importRunning_ = false;
}

int ComposerController::Load_Num_Func(const QString& path) {
    const QString message = composerText();
    const int before = list_.count();
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    reportProgress(0);
    const import::ReadResult read = import::Read_Import_Text(path, &cancelImport_);
    if (!read.ok || read.text.isEmpty()) {
        toView([](ComposerView& view) { view.setPleaseWait(false); });
        if (!cancelImport_) {
            showImportFailure();
        }
        return 0;
    }
    int numbersRead = 0;
    QList<int> shortRows;
    QStringList shortNumbers;
    ImportTally tally;
    import::CandidateNotes notes;
    {
        Tally_Keeper keeper(tally);
        const auto addCandidate = [&](const QString& candidate) {
            reportProgress(++numbersRead);
            // Names and messages in the other columns fail the number check at their first
            // letter; they are spared the full acceptance rules.
            Refusal refusal = Refusal::Invalid;
            const QString number =
                May_Be_A_Number(candidate) ? Num_Able_To_insert(candidate, &refusal) : QString();
            keeper.candidate(candidate, refusal);
            if (!number.isEmpty()) {
                Create_Num_Msg_List(number, message);
                if (import::Digit_Count(number) < kFewestPhoneDigits) {
                    shortRows.append(list_.count() - 1);
                    shortNumbers.append(number);
                }
            }
        };
        tesk::import::For_Each_Candidate(read.text, tesk::import::Kind_Of(path), addCandidate,
                                         &cancelImport_, &notes, [&] { keeper.recordStart(); });
    }
    toView([](ComposerView& view) { view.setPleaseWait(false); });
    if (cancelImport_) {
        return list_.count() - before;
    }
    if (list_.isEmpty() || list_.count() == before) {
        showImportFailure(tally);
        return 0;
    }
    if (!shortRows.isEmpty() && !Show_YES_NO_MessageBox(Short_Numbers_Question(shortNumbers))) {
        list_.removeRows(shortRows);
        Update_List_Count();
    }
    tally.added = list_.count() - before;
    Show_MessageBox(Import_Summary_Text(tally, notes.phoneColumn));
    return tally.added;
}

void ComposerController::Wait_For_Import() {
    import_.wait();
}

void ComposerController::Manually_Add_Btn() {
    if (!Begin_Filling_List()) {
        return;
    }
    prevListItem_ = list_.count();
    ComposerView* view = view_.load();
    if (view == nullptr || !view->runPasteDialog()) {
        return;
    }
    if (list_.isEmpty() || list_.count() == prevListItem_) {
        showImportFailure(pasteTally_);
        return;
    }
    Show_MessageBox(Import_Summary_Text(pasteTally_, QString()));
}

int ComposerController::Insert_From_Store(const QList<ListItem>& rows) {
    if (!list_.isEmpty()) {
        const int choice = askReplaceOrAppend();
        if (choice == 2) {
            return -1;
        }
        if (choice == 0) {
            clearListAndView();
        }
    }
    const int before = list_.count();
    for (const ListItem& row : rows) {
        const QString number = Num_Able_To_insert(row.Number);
        if (!number.isEmpty()) {
            Create_Num_Msg_List(number, row.Message);
        }
    }
    toView([](ComposerView& view) { view.redrawTable(); });
    return list_.count() - before;
}

bool ComposerController::Manually_Add_OK(const QString& text) {
    if (text.isEmpty()) {
        Show_MessageBox(QStringLiteral("No item to insert in list."));
        return false;
    }
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    const QString message = composerText();
    const int before = list_.count();
    pasteTally_ = ImportTally();
    {
        Tally_Keeper keeper(pasteTally_);
        tesk::import::For_Each_Pasted_Candidate(
            text,
            [&](const QString& candidate) {
                Refusal refusal = Refusal::Invalid;
                const QString number = Num_Able_To_insert(candidate, &refusal);
                keeper.candidate(candidate, refusal);
                if (!number.isEmpty()) {
                    Create_Num_Msg_List(number, message);
                }
            },
            [&] { keeper.recordStart(); });
    }
    pasteTally_.added = list_.count() - before;
    toView([](ComposerView& view) {
        view.redrawTable();
        view.setPleaseWait(false);
    });
    return true;
}

}  // namespace tesk::composer
