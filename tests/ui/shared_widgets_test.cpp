// What two widgets shared by several windows show: a table cell keeps to one line, and the
// settings panel shows the custom service centre of the highlighted device.
#include "devices/connection_settings.h"
#include "ui/record_table_model.h"
#include "ui/settings_group.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

TEST(SharedWidgets, ATableCellKeepsToOneLineAndTheSettingsPanelShowsTheCustomCentre) {
    tesk::ui::RecordTableModel model({{QStringLiteral("MSG"), QStringLiteral("Message")}});
    const QString text = QStringLiteral("a\r\nb\nc");
    model.refresh(1, [&](int, const QString&) { return QVariant(text); });
    const QModelIndex cell = model.index(0, 0);
    EXPECT_EQ(cell.data(Qt::DisplayRole).toString(), QStringLiteral("a\u21B5b\u21B5c"));
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), text);  // whole in the tooltip

    tesk::devices::ConnectionSettings settings(nullptr);
    tesk::ui::SettingsGroup group(settings);
    tesk::devices::SettingsFields fields;
    fields.customSmsc = QStringLiteral("+447785016006");
    fields.customChecked = true;
    fields.customEnabled = true;
    group.showFields(fields);
    EXPECT_EQ(group.customField()->text(), fields.customSmsc);
    EXPECT_TRUE(group.customCheck()->isChecked());
    EXPECT_TRUE(group.customField()->isEnabled());
}

}  // namespace
