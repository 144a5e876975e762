#pragma once
// The logic of the sent-items window of one mode: the list loaded from the mode's file, the
// details of the highlighted entry, deleting, putting entries back into the composer, the
// export, and the rewrite of the file when the window closes. No widgets: the window reaches
// it through SentItemsView and every message box goes through the dialogs port.
#include "composer/composer_controller.h"
#include "stores/reports.h"
#include "stores/sent_items.h"

#include <QList>
#include <QString>

namespace tesk::stores {

class SentItemsView {
  public:
    virtual ~SentItemsView() = default;
    virtual void redrawTable() = 0;
    virtual void selectRows(const QList<int>& rows) = 0;
    virtual void setCountLabel(const QString& text) = 0;  // "Total Items : %d"
    virtual void setDetails(const QString& text) = 0;
    virtual void endModal(int code) = 0;
    virtual void offerToOpenExportedFile(const QString& path) = 0;
};

inline const QString kSentItemsEmpty = QStringLiteral("Sent items list is empty.");
inline const QString kSelectSentItem =
    QStringLiteral("Please select at least one record from the sent items list to continue.");

class Sent_Items {
  public:
    // `mode` is kGsmMode or kAndroidMode; `composer` is that mode's composer. Neither the
    // composer nor the view is owned.
    Sent_Items(int mode, composer::ComposerController& composer, SentItemsView* view);

    int mode() const { return mode_; }
    bool Status_Column_Shown() const;  // GSM only
    const QList<SentItem>& items() const { return items_; }
    QString Table_Value(int row, const QString& column) const;
    QString Count_Text() const;

    // Reads the mode's file into the list (LoadItems_Sent_Items).
    void Load();
    // Takes a file read elsewhere (the window reads it on a worker thread).
    void Set_File(SentItemsFile file);
    void Set_Selected_Rows(const QList<int>& rows);
    // The details pane text of an entry ("" out of range).
    QString Details_Text(int row) const;

    void Clear_Sel_Btn();
    void Clear_All_Btn();
    void Send_To_Main_Wnd_Btn();
    void Export_Btn();
    // Ends the window; when entries were deleted, first rewrites the file without their
    // records, every other byte as it was (also in Android mode: an entry the user kept keeps
    // its status).
    void Cancel_Btn();

  private:
    void showCountAndDetails();

    const int mode_;
    composer::ComposerController& composer_;
    SentItemsView* view_;
    SentItemsFile file_;  // as read; its entries have moved to items_
    QList<SentItem> items_;
    QList<int> origins_;  // per entry listed, its index in the file
    QList<int> selected_;
};

// The two option questions of an export (through the dialogs port).
enum class StatusChoice { All = 0, Successful = 1, Failed = 2, Cancel = 3 };
StatusChoice Ask_Status_Export_Mode();
// Text or HTML; false when cancelled.
bool Ask_Export_Format(ReportFormat* format);

}  // namespace tesk::stores
