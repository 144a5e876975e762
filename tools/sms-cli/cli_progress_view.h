#pragma once
// The sending window on standard error: a bar with the engine's progress text
// ("3 / 20 Message or 15.00%") and the pause countdown, and the path of an exported report.
#include "sending/sms_sending.h"

#include <QString>

namespace tesk::cli {

class ProgressView final : public sending::SendingView {
  public:
    void redrawTable() override {}
    void setStatusText(const QString&) override {}
    void setProgressText(const QString& text) override;
    void setOverallBar(int value, int maximum) override;
    void setMessageBar(int) override {}
    void setPauseLabel(const QString& text) override;
    void setRate(const sending::RateInput& rate) override;
    void setStopVisible(bool) override {}
    void setExportVisible(bool) override {}
    void setCloseEnabled(bool) override {}
    void showPleaseWait(bool) override {}
    void closeWindow() override {}
    void offerToOpenExportedFile(const QString& path) override;

    QString exportedPath() const { return exportedPath_; }

    // "[#####...............] 3 / 20 Message or 15.00%", the pause label after it.
    static QString Bar_Line(int value, int maximum, const QString& progressText,
                            const QString& pauseLabel);

  private:
    void draw();

    QString progressText_;
    QString pauseLabel_;
    QString rateText_;
    int value_ = 0;
    int maximum_ = 0;
    QString lastLine_;
    QString exportedPath_;
};

}  // namespace tesk::cli
