#pragma once
// Pieces the wizard-like windows share: a heading, a numbered list of steps and the
// Back / Cancel / Continue row. Texts carry their own line breaks (no word wrap), so every
// label's size is exact and a window's minimum size always shows all of its text.
#include <QString>
#include <QStringList>

class QBoxLayout;
class QDialog;
class QLabel;
class QWidget;

namespace tesk::ui {

QLabel* makeHeading(const QString& text, QWidget* parent);
// "1", "2", ... beside each step.
QWidget* makeStepList(const QStringList& steps, QWidget* parent);
// Back ends the dialog with kEndBack, Cancel with kEndCancel, Continue (the default button)
// with kEndContinue.
QBoxLayout* makeStepButtons(QDialog* dialog);

}  // namespace tesk::ui
