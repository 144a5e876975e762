#pragma once
// The logic of the templates window: the list loaded from "Templates.VORN", the add/update
// editor's checks, deleting, putting a template into the current mode's composer, the export,
// and the rewrite of the file when the window closes. No widgets.
#include "composer/composer_controller.h"
#include "stores/templates.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tesk::stores {

class TemplatesView {
  public:
    virtual ~TemplatesView() = default;
    virtual void redrawTable() = 0;
    virtual void selectRows(const QList<int>& rows) = 0;
    virtual void setCountLabel(const QString& text) = 0;  // "Total Items : %d"
    virtual void endModal(int code) = 0;
    // Runs the template editor modally with its title ("Add Templates" / "Update Templates")
    // and starting text; its OK calls Templates::Editor_OK. Returns its end code.
    virtual int runEditor(const QString& title, const QString& text, int row) = 0;
    virtual void offerToOpenExportedFile(const QString& path) = 0;
};

class Templates {
  public:
    // `composer` is the composer of the current mode (where Use puts a template).
    Templates(composer::ComposerController& composer, TemplatesView* view);

    const QStringList& templates() const { return templates_; }
    QString Table_Value(int row) const;
    QString Count_Text() const;
    // The editor's live count: "%d Characters" of the text cut to 1600.
    static QString Editor_Count_Text(const QString& text);

    void Load();
    // Takes a file read elsewhere (the window reads it on a worker thread).
    void Set_File(TemplatesFile file);
    void Set_Selected_Rows(const QList<int>& rows);

    void AddNew_Btn();
    void Update_Btn();  // also the double click on a row
    // OK of the editor: row -1 adds, otherwise updates that row. True when the editor closes.
    bool Editor_OK(const QString& text, int row);
    void Clear_Sel_Btn();
    void Clear_All_Btn();
    void Use_template_Btn();
    void Export_Btn();
    // Ends the window; when the list was changed, first rewrites the file for it, keeping every
    // line of a template left as it was byte for byte (Templates_File_After).
    void Cancel_Btn();

  private:
    void showCount();

    composer::ComposerController& composer_;
    TemplatesView* view_;
    TemplatesFile file_;  // as read
    QStringList templates_;
    QList<int> origins_;  // per template listed, its index in the file, -1 when added
    QList<int> selected_;
};

}  // namespace tesk::stores
