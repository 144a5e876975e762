#include "ui/window_parts.h"

#include "core/dialogs.h"
#include "ui/record_table_model.h"

#include <QUrl>

#include <QDesktopServices>

#include "appcore/mode_selection.h"
#include "composer/message_rules.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tesk::ui {

QPushButton* makeButton(const QString& objectName, const QString& title, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeReadOnlyField(const QString& objectName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    return field;
}

QVBoxLayout* makeWindowContent(QWidget* window, QWidget** content, int spacing) {
    *content = new QWidget(window);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(*content);
    auto* layout = new QVBoxLayout(*content);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(spacing);
    return layout;
}

QLabel* makeHeading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.3);
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

QWidget* makeStepList(const QStringList& steps, QWidget* parent) {
    auto* list = new QWidget(parent);
    auto* grid = new QGridLayout(list);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    for (int i = 0; i < steps.size(); ++i) {
        auto* number = new QLabel(QStringLiteral("%1.").arg(i + 1), list);
        QFont bold = number->font();
        bold.setBold(true);
        number->setFont(bold);
        auto* text = new QLabel(steps.at(i), list);
        text->setObjectName(QStringLiteral("step%1").arg(i + 1));
        text->setTextFormat(Qt::PlainText);
        grid->addWidget(number, i, 0, Qt::AlignTop | Qt::AlignRight);
        grid->addWidget(text, i, 1, Qt::AlignTop | Qt::AlignLeft);
    }
    grid->setColumnStretch(1, 1);
    return list;
}

QBoxLayout* makeStepButtons(QDialog* dialog) {
    auto* row = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("< Back"), dialog);
    back->setObjectName(QStringLiteral("backButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* next = new QPushButton(QStringLiteral("Continue >"), dialog);
    next->setObjectName(QStringLiteral("continueButton"));
    next->setDefault(true);
    for (QPushButton* button : {back, cancel, next}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(100);
    }
    next->setDefault(true);
    row->addWidget(back);
    row->addStretch();
    row->addWidget(cancel);
    row->addWidget(next);
    QObject::connect(back, &QPushButton::clicked, dialog, [dialog] { dialog->done(kEndBack); });
    QObject::connect(cancel, &QPushButton::clicked, dialog, [dialog] { dialog->done(kEndCancel); });
    QObject::connect(next, &QPushButton::clicked, dialog, [dialog] { dialog->done(kEndContinue); });
    return row;
}

QTableView* makeRowTable(QAbstractItemModel* model, QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QString Keep_Message_Limit(QPlainTextEdit* edit, bool& cutting) {
    const QString text = edit->toPlainText();
    const QString cut = composer::Cut_Message(text);
    if (cut.size() != text.size()) {
        cutting = true;
        edit->setPlainText(cut);
        edit->moveCursor(QTextCursor::End);
        cutting = false;
    }
    return cut;
}

QString Shown_Details_Text(const QString& detailsText) {
    QString shown = Shown_Text(detailsText);
    while (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1);
    }
    return shown;
}

void Fit_Details_Lines(QPlainTextEdit* view) {
    // Nine facts, one per line, plus the frame and the document's margin on both sides.
    constexpr int kLines = 9;
    const int margins =
        2 * (view->frameWidth() + static_cast<int>(view->document()->documentMargin()));
    view->setMinimumHeight(view->fontMetrics().lineSpacing() * kLines + margins + 4);
}

void Offer_To_Open_Exported(const QString& path) {
    if (Show_YES_NO_MessageBox(QStringLiteral("\nDo you want to open the exported file?"))) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

}  // namespace tesk::ui
