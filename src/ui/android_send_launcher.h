#pragma once
// What the Send button of the Android composer starts: the Android send's checks over the
// composer window, its progress sheets and its two storage questions.
#include "sending/android_sending.h"

#include <memory>

namespace tesk::ui {

class ComposerWindow;
class SendSheet;
class SingleShotSheet;

class AndroidSendLauncher final : public sending::AndroidSendView {
  public:
    // The window outlives the launcher.
    explicit AndroidSendLauncher(ComposerWindow& window);
    ~AndroidSendLauncher() override;

    // The Send button: `deviceLabel` is the composer's device label.
    void send(const QString& deviceLabel);
    sending::Send_SMS_Func_Android& run() { return *run_; }
    SingleShotSheet* singleShotSheet() const { return singleShot_; }
    SendSheet* sendSheet() const { return sendSheet_; }

    // AndroidSendView
    sending::ListMessageChoice runListMessageDialog() override;
    void focusNumberField() override;
    void focusDelayedChoice(bool countChoice) override;
    void setNumberFieldEnabled(bool enabled) override;
    void redrawList() override;
    void selectListRow(int row) override;
    void showOneByOneMode() override;
    void showSingleShotSheet(const QString& totalLabel) override;
    void setSingleShotStatus(const QString& text) override;
    void setSingleShotBar(int value) override;
    void closeSingleShotSheet() override;
    int runFileCreationFailSS() override;
    void showSendSheet(int totalMaximum, const QString& totalLabel) override;
    void setStopEnabled(bool enabled) override;
    void setProgressPartsVisible(bool visible) override;
    void setTotalBar(int value) override;
    void setCurrentBar(int value) override;
    void setCurrentCountLabel(const QString& text) override;
    void setCurrentNumber(const QString& text) override;
    void setNumberPartsVisible(bool visible) override;
    void setPauseLabel(const QString& text) override;
    void closeSendSheet() override;
    int runFileCreationFail(bool* skipForAll) override;

  private:
    ComposerWindow& window_;
    // Owned by the window (Qt parent), so they go with it.
    SingleShotSheet* singleShot_ = nullptr;
    SendSheet* sendSheet_ = nullptr;
    std::unique_ptr<sending::Send_SMS_Func_Android> run_;
};

}  // namespace tesk::ui
