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
class CliDeliveryModes : public CliDelivery, public ::testing::WithParamInterface<const char*> {};

// In PDU mode the request is a bit of each message, in text mode a parameter of the device.
TEST_P(CliDeliveryModes, TheRunsReportSaysWhatBecameOfEachMessageAndAStopReplyOptsOut) {
    const QStringList to = numbers(4);
    vmodem::Config config;
    config.firstReference = 254;  // the references wrap during the run
    config.reports = {{.number = to[1], .outcome = ReportPlan::Failed},
                      {.number = to[2], .outcome = ReportPlan::None},
                      // the network reports it still tries
                      {.number = to[3], .outcome = ReportPlan::Failed, .failedStatus = 0x21}};
    config.incoming = {reply(to[0], " Stop ")};
    addModem(config);
    const QString report = modems.filePath("report.txt");
    const auto run = send(numbersFile(to), "Sale today",
                          {"--delivery-reports", "--mode", GetParam(), "--report", report});
    ASSERT_EQ(run.exitCode, 0) << Describe(run);
    const QString text = Read_Utf16(report);
    const QStringList expected = {"Delivered", "Failed: incompatible destination", "No report yet",
                                  "Pending: SC still trying: SME busy"};
    for (int i = 0; i < to.size(); ++i) {
        const qsizetype at = text.indexOf(QString("Number\t\t: %1\n").arg(to[i]) +
                                          "Message\t\t: Sale today\nCurrent Status\t: ");
        ASSERT_GE(at, 0) << text.toStdString();
        EXPECT_TRUE(
            text.mid(at, text.indexOf("=====", at) - at).contains("Delivery\t: " + expected[i]))
            << i << text.toStdString();
    }
    // The reply came during the run: kept, and its sender excluded from the next runs.
    EXPECT_TRUE(readData("Inbox.VORN").contains(to[0]));
    EXPECT_EQ(readData("Exclusion/Opt-outs.VORN"), to[0] + "\n");
    EXPECT_TRUE(readData("AppExclusion.VORN").contains("Opt-outs"));

    // The next run leaves the number out.
    const qsizetype before = receivedNumbers().size();
    const auto next = send(numbersFile(to), "Last day");
    EXPECT_EQ(next.exitCode, 0) << Describe(next);
    EXPECT_TRUE(next.err.contains("1 excluded")) << Describe(next);
    EXPECT_EQ(receivedNumbers().mid(before), to.mid(1));
}

INSTANTIATE_TEST_SUITE_P(Cli, CliDeliveryModes, ::testing::Values("pdu", "text"));

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
    const QStringList listen = {"listen", "--devices", devicesArgument(), "--for", "1"};
    const auto heard = run(listen);
    ASSERT_EQ(heard.exitCode, 0) << Describe(heard);
    EXPECT_TRUE(
        heard.out.contains(QString("Report\t%1\t%2\tDelivered").arg(devicesArgument(), to[0])))
        << Describe(heard);
    EXPECT_TRUE(heard.out.contains(QString("\t%1\t%2\n").arg(to[0], longReply))) << Describe(heard);
    EXPECT_TRUE(heard.out.contains("Merci \u263A \U0001F600")) << Describe(heard);
    EXPECT_EQ(("\n" + readData("Inbox.VORN")).count("\nM\t"), 2);
    // Both parts of the long reply, the other reply and the report: emptied from the SIM.
    EXPECT_GE(deletions(), 4);
    const auto again = run(listen);
    EXPECT_FALSE(again.out.contains("Reply")) << Describe(again);
}

}  // namespace
}  // namespace tesk::cli::test
