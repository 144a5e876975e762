#include "ui/sending_wnd.h"

#include "ui/please_wait.h"
#include "ui/record_table_model.h"
#include "ui/window_parts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tesk::ui {

using sending::SendingItem;

namespace {

QList<RecordColumn> sendingColumns() {
    QList<RecordColumn> columns;
    for (const QString& key : SendingItem::Keys()) {
        columns.append({key, key});
    }
    return columns;
}

}  // namespace

SendingWnd::SendingWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SMS_Sending"));
    setWindowTitle(sending::kSendingTitle);
    setModal(true);

    QVBoxLayout* layout = makeWindowContent(this, &content_, 8);

    status_ = makeHeading(sending::kPopulatingStatus, content_);
    status_->setObjectName(QStringLiteral("statusLabel"));
    layout->addWidget(status_);
    note_ = new QLabel(sending::kSendingNote, content_);
    note_->setObjectName(QStringLiteral("noteLabel"));
    note_->setWordWrap(true);
    layout->addWidget(note_);

    auto* figures = new QGridLayout;
    figures->setHorizontalSpacing(10);
    figures->addWidget(new QLabel(QStringLiteral("Total Messages:"), content_), 0, 0);
    total_ = new QLabel(QStringLiteral("0"), content_);
    total_->setObjectName(QStringLiteral("totalLabel"));
    figures->addWidget(total_, 0, 1);
    progress_ = new QLabel(content_);
    progress_->setObjectName(QStringLiteral("progressLabel"));
    figures->addWidget(progress_, 0, 2, Qt::AlignRight);
    overallBar_ = new QProgressBar(content_);
    overallBar_->setObjectName(QStringLiteral("overallBar"));
    overallBar_->setRange(0, 0);
    overallBar_->setTextVisible(false);
    figures->addWidget(overallBar_, 1, 0, 1, 3);
    messageBar_ = new QProgressBar(content_);
    messageBar_->setObjectName(QStringLiteral("messageBar"));
    messageBar_->setRange(0, 100);
    messageBar_->setValue(0);
    messageBar_->setTextVisible(false);
    messageBar_->setMaximumHeight(8);
    messageBar_->hide();
    figures->addWidget(messageBar_, 2, 0, 1, 3);
    pause_ = new QLabel(content_);
    pause_->setObjectName(QStringLiteral("pauseLabel"));
    figures->addWidget(pause_, 3, 0, 1, 3);
    rate_ = new QLabel(content_);
    rate_->setObjectName(QStringLiteral("rateLabel"));
    rate_->setWordWrap(true);
    figures->addWidget(rate_, 4, 0, 1, 3);
    figures->setColumnStretch(2, 1);
    layout->addLayout(figures);

    model_ = new RecordTableModel(sendingColumns(), this);
    table_ = makeRowTable(model_, content_);
    table_->setObjectName(QStringLiteral("sendingTable"));
    const int widths[] = {120, 190, 100, 100, 150, 200, 45, 65, 160};
    for (int column = 0; column < model_->columnCount(); ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->setMinimumHeight(240);
    layout->addWidget(table_, 1);
    layout->addWidget(buildButtons(content_));
    sheet_ = new PleaseWaitSheet(content_, this);

    run_.setView(this);
    resize(1040, 620);
}

SendingWnd::~SendingWnd() {
    // A window torn down mid-run (the application ends) stops the run without questions; the
    // run's destructor waits for its threads, which must not reach this view meanwhile.
    run_.setView(nullptr);
    model_->refresh(0, {});
}

QWidget* SendingWnd::buildButtons(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    export_ = makeButton("exportButton", QStringLiteral("Export Status"), bar);
    row->addWidget(export_);
    row->addStretch();
    stop_ = makeButton("stopButton", QStringLiteral("Stop"), bar);
    close_ = makeButton("closeButton", QStringLiteral("Close"), bar);
    for (QPushButton* button : {export_, stop_, close_}) {
        button->setMinimumWidth(100);
    }
    row->addWidget(stop_);
    row->addWidget(close_);
    connect(stop_, &QPushButton::clicked, this, [this] { run_.Stop_Btn(); });
    connect(export_, &QPushButton::clicked, this, [this] { run_.Export_Btn(); });
    connect(close_, &QPushButton::clicked, this, [this] { run_.CancelPressed(); });
    // Until the list is loaded there is nothing to stop.
    stop_->setEnabled(false);
    export_->hide();
    return bar;
}

void SendingWnd::start(sending::SendingRequest request) {
    const int total = static_cast<int>(request.list.size());
    total_->setText(QString::number(total));
    overallBar_->setRange(0, total);
    overallBar_->setValue(0);
    progress_->setText(sending::Progress_Text(1, total));
    run_.Open_SMS_Sending_Dialog(std::move(request));
}

QPushButton* SendingWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

// ---- SendingView

void SendingWnd::redrawTable() {
    const sending::SendingTable& items = run_.table();
    model_->refresh(items.count(), [&items](int row, const QString& key) -> QVariant {
        return items.at(row).value(key);
    });
    // The Delivery column only says something when the run asked for reports.
    table_->setColumnHidden(
        static_cast<int>(SendingItem::Keys().indexOf(QStringLiteral("Delivery"))),
        !run_.deliveryReports());
}

void SendingWnd::setStatusText(const QString& text) {
    status_->setText(text);
    const bool finished = text == sending::kFinishedStatus;
    note_->setText(finished ? sending::kFinishedNote : sending::kSendingNote);
    setWindowTitle(finished ? sending::kFinishedTitle : sending::kSendingTitle);
}

void SendingWnd::setProgressText(const QString& text) {
    progress_->setText(text);
}

void SendingWnd::setRate(const sending::RateInput& rate) {
    rate_->setText(sending::Rate_Text(rate));
}

void SendingWnd::setOverallBar(int value, int maximum) {
    overallBar_->setRange(0, std::max(maximum, 1));
    overallBar_->setValue(maximum > 0 ? value : 0);
}

void SendingWnd::setMessageBar(int value) {
    messageBar_->setValue(value);
}

void SendingWnd::setPauseLabel(const QString& text) {
    pause_->setText(text);
}

void SendingWnd::setStopVisible(bool visible) {
    // The per-message bar belongs to the sending phase, like the stop button.
    stop_->setVisible(visible);
    stop_->setEnabled(visible);
    messageBar_->setVisible(visible);
}

void SendingWnd::setExportVisible(bool visible) {
    export_->setVisible(visible);
    export_->setEnabled(visible);
}

void SendingWnd::setCloseEnabled(bool enabled) {
    close_->setEnabled(enabled);
}

void SendingWnd::showPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void SendingWnd::closeWindow() {
    closing_ = true;
    done(QDialog::Accepted);
}

void SendingWnd::offerToOpenExportedFile(const QString& path) {
    Offer_To_Open_Exported(path);
}

// ---- closing

void SendingWnd::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    if (close_->isEnabled()) {
        run_.CancelPressed();
    }
}

void SendingWnd::closeEvent(QCloseEvent* event) {
    if (closing_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (close_->isEnabled()) {
        run_.CancelPressed();
    }
}

// ---- for tests and the gallery

QString SendingWnd::statusText() const {
    return status_->text();
}

QString SendingWnd::noteText() const {
    return note_->text();
}

QString SendingWnd::totalText() const {
    return total_->text();
}

QString SendingWnd::progressText() const {
    return progress_->text();
}

QString SendingWnd::pauseText() const {
    return pause_->text();
}

}  // namespace tesk::ui
