// The HTML reports read back by a real HTML parser: what a reader of the page sees.
#include "stores/reports.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

using namespace tesk::stores;

QString visibleText(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

TEST(HtmlReports, SentItemsShowEveryValueAsTyped) {
    const QString page =
        Sent_Items_Report({{"+447700900123", "Price < 5 & \"free\" <b>gift</b>\nsecond line",
                            "07/12/2026", "Message sent successfully."},
                           {"0777", "Ωμέγα", "06/12/2026", "+CMS ERROR: 500"}},
                          ReportFormat::Html, true);
    const QString seen = visibleText(page);
    EXPECT_TRUE(seen.contains("[ Tesk SMS - Sent Items ]"));
    // The plain text of a document shows the page's non-breaking blanks as blanks.
    EXPECT_TRUE(seen.contains("Price < 5 & \"free\" <b>gift</b>\nsecond line"))
        << seen.toStdString();
    EXPECT_TRUE(seen.contains("+CMS ERROR: 500"));
    EXPECT_TRUE(seen.contains(QStringLiteral("Ωμέγα")));
    EXPECT_TRUE(seen.contains("Status"));
    const QString android = visibleText(
        Sent_Items_Report({{"0777", "x", "06/12/2026", "ok"}}, ReportFormat::Html, false));
    EXPECT_FALSE(android.contains("Status"));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
