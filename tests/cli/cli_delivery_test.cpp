// Delivery reports and replies, from the command line against virtual modems whose network
// reports and answers as real ones do: the run's report names what became of each message, a
// STOP reply keeps its number out of later runs, reports and replies that came while nothing
// listened are read later, and a reply is removed from the SIM only once it is kept.
#include "cli_test_support.h"

#include <QDir>

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;
using tesk::vmodem::IncomingSms;
using tesk::vmodem::ReportPlan;

IncomingSms reply(const QString& sender, const QString& text) {
    IncomingSms sms;
    sms.sender = sender;
    sms.text = text;
    return sms;
}

ReportPlan plan(const QString& number, ReportPlan::Outcome outcome, int delayMs = 0) {
    ReportPlan report;
    report.number = number;
    report.outcome = outcome;
    report.delayMs = delayMs;
    return report;
}

QString readUtf16(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    const QByteArray bytes = file.readAll().mid(2);  // the byte-order mark
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / 2);
}

class CliDelivery : public CliTest {
  protected:
    QString dataFile(const QString& name) const {
        return QDir(resourceDir()).filePath(QStringLiteral("TESK_SMS_DATA/") + name);
    }
    QString readData(const QString& name) const {
        QFile file(dataFile(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    int deletions(int modem) const {
        return static_cast<int>(
            modems.at(modem)->commands().filter(QStringLiteral("AT+CMGD=")).size());
    }
};

class CliDeliveryModes : public CliDelivery, public ::testing::WithParamInterface<const char*> {};

// In PDU mode the request is a bit of each message, in text mode a parameter of the device.
TEST_P(CliDeliveryModes, TheRunsReportSaysWhatBecameOfEachMessageAndAStopReplyOptsOut) {
    const QStringList to = numbers(4);
    auto config = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    config.firstReference = 254;  // the references wrap during the run
    config.reports = {plan(to[1], ReportPlan::Failed), plan(to[2], ReportPlan::None),
                      plan(to[3], ReportPlan::Failed)};
    config.reports.last().failedStatus = 0x21;  // the network reports it still tries
    config.incoming = {reply(to[0], QStringLiteral(" Stop "))};
    addModem(config);
    const QString report = dir.filePath(QStringLiteral("report.txt"));
    const auto run = this->run(
        {QStringLiteral("send"), QStringLiteral("--numbers"), numbersFile(to),
         QStringLiteral("--message"), QStringLiteral("Sale today"), QStringLiteral("--devices"),
         devicesArgument(), QStringLiteral("--delivery-reports"), QStringLiteral("--mode"),
         QString::fromLatin1(GetParam()), QStringLiteral("--report"), report});
    ASSERT_EQ(run.exitCode, 0) << Describe(run);
    const QString text = readUtf16(report);
    const QStringList expected = {
        QStringLiteral("Delivered"), QStringLiteral("Failed: incompatible destination"),
        QStringLiteral("No report yet"), QStringLiteral("Pending: SC still trying: SME busy")};
    for (int i = 0; i < to.size(); ++i) {
        EXPECT_TRUE(text.contains(QStringLiteral("Number\t\t: %1\n").arg(to[i]) +
                                  QStringLiteral("Message\t\t: Sale today\nCurrent Status\t: ")))
            << text.toStdString();
        const qsizetype at = text.indexOf(to[i]);
        const qsizetype next = text.indexOf(QStringLiteral("====="), at);
        EXPECT_TRUE(text.mid(at, next - at).contains(QStringLiteral("Delivery\t: ") + expected[i]))
            << i << text.toStdString();
    }
    // The reply came during the run: kept, and its sender excluded from the next runs.
    EXPECT_TRUE(readData(QStringLiteral("Inbox.VORN")).contains(to[0]));
    EXPECT_EQ(readData(QStringLiteral("Exclusion/Opt-outs.VORN"))
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              QStringList{to[0]});
    EXPECT_TRUE(readData(QStringLiteral("AppExclusion.VORN")).contains(QStringLiteral("Opt-outs")));

    // The next run leaves the number out.
    const int before = static_cast<int>(receivedNumbers().size());
    const auto next =
        this->run({QStringLiteral("send"), QStringLiteral("--numbers"), numbersFile(to),
                   QStringLiteral("--message"), QStringLiteral("Last day"),
                   QStringLiteral("--devices"), devicesArgument()});
    EXPECT_EQ(next.exitCode, 0) << Describe(next);
    EXPECT_TRUE(next.err.contains(QStringLiteral("1 excluded"))) << Describe(next);
    EXPECT_EQ(receivedNumbers().mid(before), to.mid(1));
}

INSTANTIATE_TEST_SUITE_P(Cli, CliDeliveryModes, ::testing::Values("pdu", "text"));

TEST_F(CliDelivery, ListenReadsWhatCameWhileNothingListenedAndKeepsARepliesUntilStored) {
    const QStringList to = numbers(1);
    auto config = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    // The report comes long after the run has let go of the device.
    config.reports = {plan(to[0], ReportPlan::Delivered, 1500)};
    const QString longReply = QString(200, QLatin1Char('x')) + QStringLiteral(" end");
    config.simMessages = {
        reply(to[0], longReply),
        reply(QStringLiteral("+33612345678"), QStringLiteral("Merci \u263A \U0001F600"))};
    addModem(config);
    // While the inbox cannot be written, nothing leaves the SIM.
    ASSERT_TRUE(QDir().mkpath(dataFile(QStringLiteral("Inbox.VORN"))));
    const auto send =
        run({QStringLiteral("send"), QStringLiteral("--numbers"), numbersFile(to),
             QStringLiteral("--message"), QStringLiteral("Hi"), QStringLiteral("--devices"),
             devicesArgument(), QStringLiteral("--delivery-reports")});
    ASSERT_EQ(send.exitCode, 0) << Describe(send);
    EXPECT_EQ(deletions(0), 0);
    EXPECT_FALSE(readData(QStringLiteral("Deliveries.VORN")).contains(QStringLiteral("\nR\t")));

    // The network's report comes while nothing listens: stored on the SIM.
    const QDeadlineTimer deadline(tesk::cli::test::kFailSafeMs);
    while (modems[0]->reportsIssued() < 1 && !deadline.hasExpired()) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(QDir(dataFile(QStringLiteral("Inbox.VORN"))).removeRecursively());
    const auto listen = run({QStringLiteral("listen"), QStringLiteral("--devices"),
                             devicesArgument(), QStringLiteral("--for"), QStringLiteral("1")});
    ASSERT_EQ(listen.exitCode, 0) << Describe(listen);
    EXPECT_TRUE(listen.out.contains(
        QStringLiteral("Report\t%1\t%2\tDelivered").arg(devicesArgument(), to[0])))
        << Describe(listen);
    EXPECT_TRUE(listen.out.contains(QStringLiteral("\t%1\t%2\n").arg(to[0], longReply)))
        << Describe(listen);
    EXPECT_TRUE(listen.out.contains(QStringLiteral("Merci \u263A \U0001F600"))) << Describe(listen);
    const QString inbox = readData(QStringLiteral("Inbox.VORN"));
    EXPECT_EQ(
        inbox.count(QStringLiteral("\nM\t")) + (inbox.startsWith(QLatin1String("M\t")) ? 1 : 0), 2);
    // Both parts of the long reply, the other reply and the report: emptied from the SIM.
    EXPECT_GE(deletions(0), 4);
    const auto again = run({QStringLiteral("listen"), QStringLiteral("--devices"),
                            devicesArgument(), QStringLiteral("--for"), QStringLiteral("1")});
    EXPECT_FALSE(again.out.contains(QStringLiteral("Reply"))) << Describe(again);
}

}  // namespace
