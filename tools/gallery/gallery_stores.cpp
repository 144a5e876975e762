// Gallery entries of the store windows, over sample files in a private temporary data folder
// (the gallery never touches the user's own data).
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "delivery/delivery_book.h"
#include "delivery/inbox.h"
#include "gallery/gallery_parts.h"
#include "stores/exclusion_store.h"
#include "stores/sent_items.h"
#include "stores/templates.h"
#include "ui/deliveries_wnd.h"
#include "ui/exclusion_wizard_wnd.h"
#include "ui/store_windows.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

namespace tesk::ui {
namespace {

using composer::ComposerController;
using composer::ComposerKind;

// Points the data paths at sample stores once per process.
void useSampleStores() {
    static QTemporaryDir folder;
    static bool filled = false;
    if (filled) {
        return;
    }
    filled = true;
    Set_Data_Paths(folder.path());
    Check_Path_And_Create_Files();
    const QList<stores::SentItem> items{
        {"+447700900123",
         "Dear customer, our spring sale starts on Monday.\nReply STOP to opt out.", "05/12/2026",
         "Message sent successfully."},
        {"07700900456", "Your appointment is confirmed for Thursday at 10:30.", "05/12/2026",
         "+CMS ERROR: 500"},
        {"+4915112345678", "Ihre Bestellung ist unterwegs.", "06/12/2026",
         "Message sent successfully."},
        {"+79161234567", "Ваш заказ готов к выдаче.", "06/12/2026", "Device Connection Error!"},
        {"+14155550134", "See you at the shop!", "07/12/2026", "Message sent successfully."}};
    stores::Rewrite_Sent_Items(Sent_Item_Path, items, false);
    stores::Rewrite_Sent_Items(Sent_Item_Path_Android, items, true);
    stores::Write_Template_file(
        Templates_Path,
        {"Dear customer, our spring sale starts on Monday: 20% off every order.",
         "Your appointment is confirmed for Thursday at 10:30. Call us to change it.",
         "Thank you for your order!\nIt will be with you tomorrow.", "Ваш заказ готов к выдаче."});
    stores::Write_Entry_File(Exclusion_Index_Path, {"Staff", "Opted out", "Πελάτες VIP"});
    stores::Write_Entry_File(stores::Exclusion_List_File(QStringLiteral("Staff")),
                             {"00447700900111", "00447700900112", "+4915112345000"});
    stores::Write_Entry_File(stores::Exclusion_List_File(QStringLiteral("Opted out")),
                             {"07700900999"});
    stores::Write_Entry_File(stores::Exclusion_List_File(QStringLiteral("Πελάτες VIP")),
                             {"+302101234567"});
    stores::Write_Entry_File(Applied_Exclusion_Path, {"Opted out"});

    delivery::DeliveryBook book(delivery::DeliveryBook::Default_File());
    const QDateTime sent = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QString device = QStringLiteral("356938035643809");
    const struct {
        const char* number;
        QList<int> references;
        QList<int> statuses;
    } deliveries[] = {{"+447700900123", {17}, {0x00}},
                      {"+447700900124", {18}, {0x41}},
                      {"+447700900125", {19, 20}, {0x00}},
                      {"+447700900126", {21}, {0x21}},
                      {"+447700900127", {22}, {}}};
    int minute = 0;
    for (const auto& entry : deliveries) {
        book.Record_Sent(device, QString::fromLatin1(entry.number), entry.references,
                         QStringLiteral("Dear customer, our spring sale starts on Monday."),
                         sent.addSecs(60 * minute++));
        for (int i = 0; i < entry.statuses.size(); ++i) {
            book.Apply_Report(device,
                              {entry.references[i], QString::fromLatin1(entry.number),
                               entry.statuses[i], sent.addSecs(60 * minute)},
                              sent.addSecs(60 * minute + 30));
        }
    }
    delivery::Inbox inbox(delivery::Inbox::Default_File());
    inbox.Store({sent.addSecs(900), device, QStringLiteral("+447700900123"), sent.addSecs(880),
                 QStringLiteral("Thanks, see you Monday!"), false});
    inbox.Store({sent.addSecs(1200), device, QStringLiteral("+447700900126"), sent.addSecs(1190),
                 QStringLiteral("STOP"), true});
}

// The windows read their files on a worker; the picture shows them loaded.
template <typename Window>
void waitUntilLoaded(Window& window) {
    while (window.loading()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Built before the window that uses it and destroyed after it: a private base.
struct ComposerHolder {
    ComposerHolder() { useSampleStores(); }
    ComposerController composer{ComposerKind::Gsm};
};

template <typename Window>
class WithComposer final : private ComposerHolder, public Window {
  public:
    template <typename... Args>
    explicit WithComposer(Args&&... args) : Window(std::forward<Args>(args)..., composer) {}
};

struct TemplatesHolder : ComposerHolder {
    TemplatesHolder() { waitUntilLoaded(templates); }
    TemplatesWnd templates{composer};
};

// The editor over the templates window it belongs to, opened for the third template.
class EditorEntry final : private TemplatesHolder, public TemplateEditorDlg {
  public:
    EditorEntry()
        : TemplateEditorDlg(templates.controller(), QStringLiteral("Update Templates"),
                            templates.controller().Table_Value(2), 2) {}
};

void highlight(QTableView* table, int row) {
    table->selectionModel()->select(
        table->model()->index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace

QList<GalleryEntry> Gallery_Store_Entries() {
    return {
        {QStringLiteral("sent_items_gsm"),
         [] {
             auto window = std::make_unique<WithComposer<SentItemsWnd>>(kGsmMode);
             waitUntilLoaded(*window);
             highlight(window->table(), 1);
             return window;
         }},
        {QStringLiteral("sent_items_android"),
         [] {
             auto window = std::make_unique<WithComposer<SentItemsWnd>>(kAndroidMode);
             waitUntilLoaded(*window);
             highlight(window->table(), 0);
             return window;
         }},
        {QStringLiteral("templates"),
         [] {
             auto window = std::make_unique<WithComposer<TemplatesWnd>>();
             waitUntilLoaded(*window);
             highlight(window->table(), 2);
             return window;
         }},
        {QStringLiteral("template_editor"), [] { return std::make_unique<EditorEntry>(); }},
        {QStringLiteral("deliveries"),
         [] {
             useSampleStores();
             return std::make_unique<DeliveriesWnd>();
         }},
        {QStringLiteral("deliveries_inbox"),
         [] {
             useSampleStores();
             auto window = std::make_unique<DeliveriesWnd>();
             window->findChild<QTabWidget*>()->setCurrentIndex(1);
             return window;
         }},
        {QStringLiteral("exclusion_wizard_lists"),
         [] {
             useSampleStores();
             auto wizard = std::make_unique<ExclusionWizardWnd>([] {});
             wizard->availableList()->selectionModel()->select(
                 wizard->availableList()->model()->index(0, 0), QItemSelectionModel::Select);
             return wizard;
         }},
        {QStringLiteral("exclusion_wizard_numbers"),
         [] {
             useSampleStores();
             auto wizard = std::make_unique<ExclusionWizardWnd>([] {});
             wizard->controller().Set_Selected_Available({0});
             wizard->controller().Update_Btn();
             wizard->numberField()->setText(QStringLiteral("+44 7700 900113"));
             return wizard;
         }},
        {QStringLiteral("exclusion_wizard_name"),
         [] {
             useSampleStores();
             auto wizard = std::make_unique<ExclusionWizardWnd>([] {});
             wizard->controller().AddNew_Btn();
             wizard->nameField()->setText(QStringLiteral("Suppliers"));
             return wizard;
         }},
    };
}

}  // namespace tesk::ui
