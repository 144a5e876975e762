#include "stores/reports.h"
#include "store_test.h"

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

const QList<SentItem> kItems{
    {"+447700900123", "Hi\nthere", "07/12/2026", "Message sent successfully."},
    {"0777", "x", "06/12/2026", "+CMS ERROR: 500"}};

TEST(SentItemsReport, PlainTextHasTheHeaderAndOneBlockPerEntry) {
    const QString rule(76, QLatin1Char('='));
    EXPECT_EQ(Sent_Items_Report(kItems, ReportFormat::Text, true),
              rule + "\n\n\t\t\t[ Tesk SMS - Sent Items]\t\t\t\n\n" + rule + "\n" +
                  "Date\t: 07/12/2026\nStatus\t: Message sent successfully.\nNumber\t: "
                  "+447700900123\nMessage\t: Hi\nthere\n" +
                  rule + "\n" +
                  "Date\t: 06/12/2026\nStatus\t: +CMS ERROR: 500\nNumber\t: 0777\nMessage\t: x\n" +
                  rule + "\n");
    const QString android = Sent_Items_Report(kItems, ReportFormat::Text, false);
    EXPECT_FALSE(android.contains("Status"));
    EXPECT_TRUE(android.contains("Date\t: 06/12/2026\nNumber\t: 0777\nMessage\t: x\n"));
}

TEST(TemplatesReport, PlainTextIsEachTemplateUnderTheRule) {
    const QString rule(76, QLatin1Char('='));
    EXPECT_EQ(Templates_Report({"One", "Two\nlines"}, ReportFormat::Text),
              rule + "\n\n\t\t\t[ Tesk SMS - Templates]\t\t\t\n\n" + rule + "\n" + "One\n" + rule +
                  "\nTwo\nlines\n" + rule + "\n");
}

TEST(Reports, HtmlValuesAreEscapedBeforeTheirLineBreaksAndBlanks) {
    EXPECT_EQ(Html_Cell_Text("<b>Tom & \"Jerry\"</b>\nok"),
              "&lt;b&gt;Tom&nbsp;&amp;&nbsp;&quot;Jerry&quot;&lt;/b&gt;<br>ok");
    const QString page =
        Sent_Items_Report({{"<script>", "a b", "07/12/2026", "x<y"}}, ReportFormat::Html, true);
    EXPECT_TRUE(page.startsWith(Html_Page_Head("[ Tesk SMS - Sent Items ]", "Sent Items:")));
    EXPECT_FALSE(page.contains("<script>"));
    EXPECT_TRUE(page.contains("&lt;script&gt;"));
    EXPECT_TRUE(page.contains("a&nbsp;b"));
    EXPECT_TRUE(page.endsWith("</table></td></tr>"));
}

// A row with a delivery state gets a Delivery line; one without keeps the plain form.
TEST(StatusReport, TextAndHtmlCarryBothStatusesAndTheDeliveryWhereThereIsOne) {
    const QList<StatusReportRow> rows{
        {"+447700900001", "Hi <you>", "Done", "Message sent successfully.", "Delivered"},
        {"0777", "x", "Stopped", "+CMS ERROR: 500", ""}};
    const QString rule(76, QLatin1Char('='));
    EXPECT_EQ(Status_Report(rows, ReportFormat::Text),
              rule + "\n\n\t\t\t[ Tesk SMS - Sent Items]\t\t\t\n\n" + rule + "\n" +
                  "Number\t\t: +447700900001\nMessage\t\t: Hi <you>\nCurrent Status\t: Done\n"
                  "Sent Status\t: Message sent successfully.\nDelivery\t: Delivered\n" +
                  rule + "\n" +
                  "Number\t\t: 0777\nMessage\t\t: x\nCurrent Status\t: Stopped\nSent Status\t: "
                  "+CMS ERROR: 500\n" +
                  rule + "\n");
    const QString page = Status_Report(rows, ReportFormat::Html);
    EXPECT_TRUE(page.contains(QStringLiteral(
        "<tr><td width=100>Current Status</td><td>:&nbsp;&nbsp;</td><td>Stopped</td>")));
    EXPECT_TRUE(page.contains("Hi&nbsp;&lt;you&gt;"));
    EXPECT_EQ(page.count(">Delivery</td><td>:&nbsp;&nbsp;</td><td>Delivered</td>"), 1);
    EXPECT_TRUE(page.endsWith("</table></td></tr>"));
}

}  // namespace
