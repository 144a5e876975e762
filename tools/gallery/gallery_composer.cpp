// Gallery entries of the composer windows and of the dialogs and sheets they open, each filled
// the way a user would see it in the middle of preparing a campaign.
#include "gallery/gallery_parts.h"
#include "ui/composer_window.h"
#include "ui/editing_dialogs.h"
#include "ui/please_wait.h"

#include <QPlainTextEdit>
#include <QTableView>

#include <memory>

namespace tesk::ui {
namespace {

using composer::ComposerController;
using composer::ComposerKind;

// Holds the controller a gallery widget works on; a base class so that it is built before the
// widget and destroyed after it.
struct ControllerHolder {
    ControllerHolder(ComposerKind kind, void (*prepare)(ComposerController&))
        : owned(std::make_unique<ComposerController>(kind)) {
        if (prepare != nullptr) {
            prepare(*owned);
        }
    }
    std::unique_ptr<ComposerController> owned;
};

// The widget with its own controller, prepared before the widget reads it.
template <typename Widget>
class Owning final : private ControllerHolder, public Widget {
  public:
    template <typename... Args>
    explicit Owning(ComposerKind kind, void (*prepare)(ComposerController&), Args&&... args)
        : ControllerHolder(kind, prepare), Widget(*owned, std::forward<Args>(args)...) {}
};

const char* const kSampleNumbers[] = {
    "+447700900123", "07700900456",   "00447700900789", "+14155550134",   "+4915112345678",
    "0033612345678", "+34612345678",  "+393331234567",  "+61412345678",   "+819012345678",
    "+79161234567",  "+302101234567", "+905321234567",  "+5511912345678", "+27821234567"};

// A list as a campaign has it: most rows with the composer message, some with their own.
void fill(ComposerController& composer) {
    composer.Skip_Duplicate_Chk(true);
    composer.textDidChange(QStringLiteral(
        "Dear customer, our spring sale starts on Monday: 20% off every order above 50 EUR, in "
        "all our shops and online. Show this message at the till or use the code SPRING20 at "
        "checkout. Reply STOP to opt out."));
    int row = 0;
    for (const char* number : kSampleNumbers) {
        QString message = composer.composerText();
        if (row == 3) {
            message = QStringLiteral("Ihre Bestellung ist unterwegs. Lieferung morgen früh.");
        } else if (row == 10) {
            message = QStringLiteral("Ваш заказ готов к выдаче.\nСпасибо!");
        } else if (row == 12) {
            message.clear();
        }
        composer.Create_Num_Msg_List(QString::fromLatin1(number), message);
        ++row;
    }
    composer.Fill_Exclusion_Num_List({QStringLiteral("+447700900999"),
                                      QStringLiteral("07700900111"),
                                      QStringLiteral("+14155550100")});
}

std::unique_ptr<QWidget> composerWindow(ComposerKind kind) {
    auto window = std::make_unique<Owning<ComposerWindow>>(kind, &fill);
    window->setDeviceChoices({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyACM0"),
                              QStringLiteral("All Device")},
                             2);
    window->setDeviceLabel(kind == ComposerKind::Gsm
                               ? QStringLiteral("2 Mobile Device selected.")
                               : QStringLiteral("Android Device 34051JEHN10842"));
    window->redrawTable();
    window->selectRows({1, 2});
    return window;
}

std::unique_ptr<QWidget> composerWithPleaseWait() {
    auto window = std::make_unique<Owning<ComposerWindow>>(ComposerKind::Gsm, &fill);
    window->setNoDeviceNoticeVisible(true);
    window->redrawTable();
    window->setPleaseWait(true);
    window->setImportProgress(128540);
    return window;
}

}  // namespace

QList<GalleryEntry> Gallery_Composer_Entries() {
    return {
        {QStringLiteral("gsm_composer"), [] { return composerWindow(ComposerKind::Gsm); }},
        {QStringLiteral("android_composer"), [] { return composerWindow(ComposerKind::Android); }},
        {QStringLiteral("gsm_composer_importing"), [] { return composerWithPleaseWait(); }},
        {QStringLiteral("fill_msg_in_list"),
         [] {
             auto dialog =
                 std::make_unique<Owning<FillMsgInListDialog>>(ComposerKind::Gsm, nullptr);
             dialog->choose(composer::FillTarget::Blank);
             return dialog;
         }},
        {QStringLiteral("update_sel_num_sms"),
         [] {
             // The dialog lists the rows highlighted when it opens.
             auto dialog = std::make_unique<Owning<UpdateSelNumSmsDialog>>(
                 ComposerKind::Gsm, [](ComposerController& composer) {
                     fill(composer);
                     composer.Set_Selected_Rows({0, 2, 5, 6});
                 });
             dialog->editor()->setText(
                 QStringLiteral("Your appointment is confirmed for "
                                "Thursday at 10:30. Call us to change it."));
             return dialog;
         }},
        {QStringLiteral("update_num_sms"),
         [] {
             const composer::EditRequest request{
                 4, QStringLiteral("+4915112345678"),
                 QStringLiteral("Ihre Bestellung ist unterwegs. Lieferung morgen früh."),
                 QString()};
             return std::make_unique<Owning<UpdateNumSmsDialog>>(ComposerKind::Gsm, nullptr,
                                                                 request);
         }},
        {QStringLiteral("manually_add_num"),
         [] {
             auto dialog =
                 std::make_unique<Owning<ManuallyAddNumDialog>>(ComposerKind::Android, nullptr);
             dialog->numberEdit()->setPlainText(
                 QStringLiteral("Ann Smith\t+44 7700 900123\tLondon\nBob Jones\t07700-900456\t"
                                "Leeds\n+14155550134\n0033 6 12 34 56 78"));
             return dialog;
         }},
    };
}

}  // namespace tesk::ui
