#include "stores/reports.h"
#include "store_test.h"

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

const QString kRule(76, QLatin1Char('='));

// The plain text reports: the header, then one block per entry under the rule; the Android
// sent items have no status.
TEST(Reports, PlainTextHasTheHeaderAndOneBlockPerEntry) {
    const QList<SentItem> items{
        {"+447700900123", "Hi\nthere", "07/12/2026", "Message sent successfully."},
        {"0777", "x", "06/12/2026", "+CMS ERROR: 500"}};
    const QString head = kRule + "\n\n\t\t\t[ Tesk SMS - Sent Items]\t\t\t\n\n" + kRule + "\n";
    EXPECT_EQ(Sent_Items_Report(items, ReportFormat::Text, true),
              head +
                  "Date\t: 07/12/2026\nStatus\t: Message sent successfully.\nNumber\t: "
                  "+447700900123\nMessage\t: Hi\nthere\n" +
                  kRule + "\nDate\t: 06/12/2026\nStatus\t: +CMS ERROR: 500\nNumber\t: 0777\n" +
                  "Message\t: x\n" + kRule + "\n");
    EXPECT_EQ(Sent_Items_Report(items.mid(1), ReportFormat::Text, false),
              head + "Date\t: 06/12/2026\nNumber\t: 0777\nMessage\t: x\n" + kRule + "\n");
    EXPECT_EQ(Templates_Report({"One", "Two\nlines"}, ReportFormat::Text),
              kRule + "\n\n\t\t\t[ Tesk SMS - Templates]\t\t\t\n\n" + kRule + "\nOne\n" + kRule +
                  "\nTwo\nlines\n" + kRule + "\n");
}

TEST(Reports, HtmlValuesAreEscapedBeforeTheirLineBreaksAndBlanks) {
    EXPECT_EQ(Html_Cell_Text("<b>Tom & \"Jerry\"</b>\nok"),
              "&lt;b&gt;Tom&nbsp;&amp;&nbsp;&quot;Jerry&quot;&lt;/b&gt;<br>ok");
    const QString page =
        Sent_Items_Report({{"<script>", "a b", "07/12/2026", "x<y"}}, ReportFormat::Html, true);
    EXPECT_TRUE(page.startsWith(
        "<html><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<head><title>[ Tesk SMS - Sent Items ]</title>"));
    EXPECT_TRUE(page.contains("&lt;script&gt;") && !page.contains("<script>"));
    EXPECT_TRUE(page.endsWith("</table></td></tr>"));
    EXPECT_TRUE(page.contains(">Status<") && page.contains("x&lt;y"));
    EXPECT_FALSE(Sent_Items_Report({{"0777", "x", "06/12/2026", "ok"}}, ReportFormat::Html, false)
                     .contains(">Status<"));
}

// A row with a delivery state gets a Delivery line; one without keeps the plain form.
TEST(StatusReport, TextAndHtmlCarryBothStatusesAndTheDeliveryWhereThereIsOne) {
    const QList<StatusReportRow> rows{
        {"+447700900001", "Hi <you>", "Done", "Message sent successfully.", "Delivered"},
        {"0777", "x", "Stopped", "+CMS ERROR: 500", ""}};
    EXPECT_EQ(Status_Report(rows, ReportFormat::Text),
              kRule + "\n\n\t\t\t[ Tesk SMS - Sent Items]\t\t\t\n\n" + kRule + "\n" +
                  "Number\t\t: +447700900001\nMessage\t\t: Hi <you>\nCurrent Status\t: Done\n"
                  "Sent Status\t: Message sent successfully.\nDelivery\t: Delivered\n" +
                  kRule + "\n" +
                  "Number\t\t: 0777\nMessage\t\t: x\nCurrent Status\t: Stopped\nSent Status\t: "
                  "+CMS ERROR: 500\n" +
                  kRule + "\n");
    const QString page = Status_Report(rows, ReportFormat::Html);
    EXPECT_TRUE(page.contains(QStringLiteral(
        "<tr><td width=100>Current Status</td><td>:&nbsp;&nbsp;</td><td>Stopped</td>")));
    EXPECT_EQ(page.count(">Delivery</td><td>:&nbsp;&nbsp;</td><td>Delivered</td>"), 1);
}

}  // namespace
