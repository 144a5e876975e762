#include "sms-cli/cli_progress_view.h"

#include "sms-cli/cli_terminal.h"

#include <algorithm>

namespace tesk::cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

QString ProgressView::Bar_Line(int value, int maximum, const QString& progressText,
                               const QString& pauseLabel) {
    const int filled = maximum > 0 ? std::clamp(value * kBarWidth / maximum, 0, kBarWidth) : 0;
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                   QString(kBarWidth - filled, QLatin1Char('.')) + QStringLiteral("] ") +
                   progressText;
    if (!pauseLabel.isEmpty()) {
        line += QStringLiteral("  ") + pauseLabel;
    }
    return line;
}

// The engine sets the text and then the bar; drawing once, with the bar, keeps the two in step.
void ProgressView::setProgressText(const QString& text) {
    progressText_ = text;
}

void ProgressView::setOverallBar(int value, int maximum) {
    value_ = value;
    maximum_ = maximum;
    draw();
}

// One terminal line: the devices are named only while they fit.
void ProgressView::setRate(const sending::RateInput& rate) {
    rateText_ = sending::Rate_Text(rate, 4);
    draw();
}

void ProgressView::setPauseLabel(const QString& text) {
    pauseLabel_ = text;
    draw();
}

void ProgressView::offerToOpenExportedFile(const QString& path) {
    exportedPath_ = path;
    End_Progress_Line();
    Print_Error_Text(QStringLiteral("Report written to %1").arg(path));
}

void ProgressView::draw() {
    if (progressText_.isEmpty()) {
        return;  // the run has not yet loaded its items
    }
    const QString line = Bar_Line(
        value_, maximum_,
        rateText_.isEmpty() ? progressText_ : progressText_ + QStringLiteral("  ") + rateText_,
        pauseLabel_);
    if (line != lastLine_) {
        lastLine_ = line;
        Draw_Progress_Line(line);
    }
}

}  // namespace tesk::cli
