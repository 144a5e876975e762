#pragma once
// What a composer window offers its controller. The window layer implements it with widgets;
// tests implement it with a recorder.
//
// Every member is called on the window thread. Work that runs on the import worker reaches the
// view only through the controller's GUI poster (see ComposerController::setGuiPoster), never
// directly.
#include <QList>
#include <QString>

#include <functional>

namespace tesk::composer {

enum class ComposerKind { Gsm, Android };

enum class Field { Number, ComposerText, Table };

// The six option switches of a composer.
struct ComposerOptions {
    bool skipDuplicate = false;    // _Skip_Duplicate_Chk
    bool exclusion = false;        // _Exclusion_Chk
    bool saveSentItems = false;    // _Save_Sent_Item_Chk
    bool saveTemplates = false;    // _Save_Templates_Chk
    bool unicode = false;          // _Unicode_SMS_Chk
    bool delayedDelivery = false;  // _Delayed_Delivry_Chk
    bool operator==(const ComposerOptions&) const = default;
};

// Everything Reset_Btn puts back besides the texts and the list.
struct ComposerControls {
    ComposerOptions options;
    int messageTypeIndex = 1;  // _Msg_TypeComboBox
    bool delayedChoicesEnabled = false;
    int delayedCountIndex = -1;  // -1: nothing selected
    int delayedPauseIndex = -1;
    bool androidSingleShot = true;       // Android composer: single-shot rather than one-by-one
    bool delayedDeliveryOffered = true;  // the Delayed Delivery checkbox can be used
    int pacingIndex = 0;                 // GSM composer: into Pacing_Choices()
    int deviceLimit = 0;                 // GSM composer: messages per device, 0 = no limit
    bool deviceLimitPerDay = false;
    bool keepGoing = false;
    bool deliveryReports = false;  // GSM composer: ask for status reports
    bool operator==(const ComposerControls&) const = default;
};

// What the row editor opens with.
struct EditRequest {
    int row = -1;
    QString number;  // also the number the row had when the editor opened
    QString message;
    QString countText;  // the message's count text, without the long-message warning
};

class ComposerView {
  public:
    virtual ~ComposerView() = default;

    virtual void redrawTable() = 0;           // rows come from ComposerController::Table_Value
    virtual void redrawExclusionTable() = 0;  // rows from Exclusion_Table_Value
    virtual void setCountLabel(const QString& text) = 0;      // "Total Numbers : %d"
    virtual void setCharCountLabel(const QString& text) = 0;  // _Msg_char_count
    // What the GSM count was made for (numbers, device modes); shown as the label's tooltip.
    virtual void setCharCountToolTip(const QString& /*text*/) {}
    virtual void setNumberField(const QString& text) = 0;
    virtual void setComposerText(const QString& text) = 0;
    virtual void selectRows(const QList<int>& rows) = 0;
    virtual void focus(Field field) = 0;
    virtual void showControls(const ComposerControls& controls) = 0;
    virtual void setPleaseWait(bool shown) = 0;
    virtual void setSendEnabled(bool enabled) = 0;        // _sent_btn
    virtual void setImportProgress(int numbersRead) = 0;  // candidates read so far

    // Runs the task on the window thread after the given unscaled seconds (the window applies
    // the pacing scale and must not block meanwhile).
    virtual void runAfter(double seconds, std::function<void()> task) = 0;

    // Modal dialogs of the list editing; each returns its end code (1 accepted, 0 cancelled).
    // Their OK buttons call Fill_Msg_In_List_OK, Update_Sel_Num_SMS_OK and Update_Num_SMS_OK.
    virtual int runFillMsgDialog() = 0;
    virtual int runUpdateSelNumSmsDialog() = 0;
    virtual int runUpdateNumSmsDialog(const EditRequest& request) = 0;
    // The pasting dialog; its OK button calls Manually_Add_OK. True when it ended with OK.
    virtual bool runPasteDialog() = 0;

    // The shell's offer to open a file just exported.
    virtual void offerToOpenExportedFile(const QString& path) = 0;
};

}  // namespace tesk::composer
