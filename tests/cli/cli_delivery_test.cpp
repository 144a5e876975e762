// Delivery reports and replies, from the command line against virtual modems whose network
// reports and answers as real ones do: the run's report names what became of each message, a
// STOP reply keeps its number out of later runs, reports and replies that came while nothing
// listened are read later, and a reply is removed from the SIM only once it is kept.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using vmodem::ReportPlan;

vmodem::IncomingSms reply(const QString& sender, const QString& text) {
    vmodem::IncomingSms sms;
    sms.sender = sender;
    sms.text = text;
    return sms;
}

class CliDelivery : public CliTest {
  protected:
    int deletions() const { return int(modems[0].commands().filter("AT+CMGD=").size()); }
};
// With --delivery-reports the run's report says what became of each message (the report texts
// are the delivery book's), and a STOP reply that came during the run keeps its number out of
// the next one (how it is kept: the delivery suites).
TEST_F(CliDelivery, TheRunsReportSaysWhatBecameOfEachMessageAndAStopReplyOptsOut) {
    const QStringList to = numbers(2);
    vmodem::Config config;
    config.reports = {{.number = to[1], .outcome = ReportPlan::Failed}};
    config.incoming = {reply(to[0], " Stop ")};
    addModem(config);
    const QString report = modems.filePath("report.txt");
    const auto run =
        send(numbersFile(to), "Sale today", {"--delivery-reports", "--report", report});
    ASSERT_EQ(run.exitCode, 0) << Describe(run);
    const QString text = Read_Utf16(report);
    const QStringList expected = {"Delivered", "Failed: incompatible destination"};
    for (int i = 0; i < to.size(); ++i) {
        const qsizetype at = text.indexOf(QString("Number\t\t: %1\n").arg(to[i]));
        ASSERT_GE(at, 0) << text.toStdString();
        EXPECT_TRUE(
            text.mid(at, text.indexOf("=====", at) - at).contains("Delivery\t: " + expected[i]))
            << i << text.toStdString();
    }
    const auto next = send(numbersFile(to), "Last day");
    EXPECT_EQ(next.exitCode, 0) << Describe(next);
    EXPECT_TRUE(next.err.contains("1 excluded")) << Describe(next);
    EXPECT_EQ(receivedNumbers(), (QStringList{to[0], to[1], to[1]}));
}

TEST_F(CliDelivery, ListenReadsWhatCameWhileNothingListenedAndKeepsARepliesUntilStored) {
    const QStringList to = numbers(1);
    vmodem::Config config;
    // The report comes long after the run has let go of the device.
    config.reports = {{.number = to[0], .outcome = ReportPlan::Delivered, .delayMs = 1500}};
    const QString longReply = QString(200, 'x') + " end";
    config.simMessages = {reply(to[0], longReply),
                          reply("+33612345678", "Merci \u263A \U0001F600")};
    addModem(config);
    // While the inbox cannot be written, nothing leaves the SIM.
    ASSERT_TRUE(QDir().mkpath(dataFile("Inbox.VORN")));
    const auto sent = send(numbersFile(to), "Hi", {"--delivery-reports"});
    ASSERT_EQ(sent.exitCode, 0) << Describe(sent);
    EXPECT_EQ(deletions(), 0);
    EXPECT_FALSE(readData("Deliveries.VORN").contains("\nR\t"));

    // The network's report comes while nothing listens: stored on the SIM.
    const QDeadlineTimer deadline(kFailSafeMs);
    while (modems[0].reportsIssued() < 1 && !deadline.hasExpired()) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(QDir(dataFile("Inbox.VORN")).removeRecursively());
    const auto heard = run({"listen", "--devices", devicesArgument(), "--for", "1"});
    ASSERT_EQ(heard.exitCode, 0) << Describe(heard);
    EXPECT_TRUE(
        heard.out.contains(QString("Report\t%1\t%2\tDelivered").arg(devicesArgument(), to[0])))
        << Describe(heard);
    EXPECT_TRUE(heard.out.contains(QString("\t%1\t%2\n").arg(to[0], longReply))) << Describe(heard);
    EXPECT_TRUE(heard.out.contains("Merci \u263A \U0001F600")) << Describe(heard);
    EXPECT_EQ(("\n" + readData("Inbox.VORN")).count("\nM\t"), 2);
    // Both parts of the long reply, the other reply and the report: emptied from the SIM.
    EXPECT_GE(deletions(), 4);
}

}  // namespace
}  // namespace tesk::cli::test
