#pragma once
// Pieces the wizard-like windows share: a heading, a numbered list of steps and the
// Back / Cancel / Continue row. Texts carry their own line breaks (no word wrap), so every
// label's size is exact and a window's minimum size always shows all of its text.
#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QBoxLayout;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QVBoxLayout;
class QWidget;

namespace tesk::ui {

// A button the tests and the gallery find by its object name. It never presses itself as a
// dialog's default: Return in a number field must not send a test message.
QPushButton* makeButton(const QString& objectName, const QString& title, QWidget* parent);
// A read-only field, found by its object name, for a fact the window shows.
QLineEdit* makeReadOnlyField(const QString& objectName, QWidget* parent);

QLabel* makeHeading(const QString& text, QWidget* parent);
// "1", "2", ... beside each step.
QWidget* makeStepList(const QStringList& steps, QWidget* parent);
// Back ends the dialog with kEndBack, Cancel with kEndCancel, Continue (the default button)
// with kEndContinue.
QBoxLayout* makeStepButtons(QDialog* dialog);

// A read-only table of whole rows over a model that reads its rows on demand; fixed row
// heights keep a table of a million rows as quick as one of ten.
QTableView* makeRowTable(QAbstractItemModel* model, QWidget* parent);

// Cuts the edit's text to the longest message there may be (keeping the cursor at the end when
// it had to cut) and returns the text. `cutting` guards against the edit's own change signal.
QString Keep_Message_Limit(QPlainTextEdit* edit, bool& cutting);

// The content widget of a device or sending window, filling `window` edge to edge (the
// please-wait sheet covers exactly it), and its column layout with the windows' margins.
QVBoxLayout* makeWindowContent(QWidget* window, QWidget** content, int spacing = 10);

// A device's details text as a text view shows it: line ends as the view knows them and no
// empty line after the last fact.
QString Shown_Details_Text(const QString& detailsText);
// Makes the view tall enough for every line of a details text, so none is cut off.
void Fit_Details_Lines(QPlainTextEdit* view);

// Asks whether to open a file just exported and opens it with the desktop's program.
void Offer_To_Open_Exported(const QString& path);

}  // namespace tesk::ui
