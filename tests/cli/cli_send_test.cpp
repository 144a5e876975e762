// "send": the whole way from a numbers file to the modems' logs, the summary, the report and
// the exit status.
#include "cli_test_support.h"

#include <QDir>
#include <QSet>

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;
using tesk::cli::test::Parse_Summary;
using tesk::cli::test::Status_Count;

const QString kSent = QStringLiteral("Message sent successfully.");

// The status report is UTF-16 with one byte-order mark.
QString readReport(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 2) {
        return QString();
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
}

class CliSend : public CliTest {
  protected:
    QStringList sendArguments(const QString& numbers, const QString& message) const {
        return {QStringLiteral("send"),
                QStringLiteral("--numbers"),
                numbers,
                QStringLiteral("--message"),
                message,
                QStringLiteral("--devices"),
                devicesArgument()};
    }
};

TEST_F(CliSend, EveryNumberOnceOverTwoModemsWithTheReportInEitherFormat) {
    struct Case {
        const char* name;
        const char* reportName;
        std::function<bool(const QString&)> wellFormed;
        std::function<QString(QString)> shownMessage;  // how the report writes a message
    };
    const Case cases[] = {
        {"text report", "status.txt",
         [](const QString& text) { return text.startsWith(QString(76, QLatin1Char('='))); },
         [](QString message) { return message; }},
        {"html report", "status.html",
         [](const QString& text) {
             return text.startsWith(QStringLiteral("<html")) &&
                    text.count(QStringLiteral("<tr><td width=60>Number</td>")) == 20;
         },
         [](QString message) {
             return message.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
         }},
    };
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    addModem(modem(QStringLiteral("VM1"), QStringLiteral("353918057361927")));
    const QStringList recipients = numbers(20);
    const QString list = numbersFile(recipients);
    int run_ = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(logPath());
        const QString report = dir.filePath(QString::fromLatin1(c.reportName));
        const QString message = QStringLiteral("Spring sale %1").arg(++run_);
        const auto result =
            run(sendArguments(list, message) + QStringList{QStringLiteral("--report"), report,
                                                           QStringLiteral("--save-sent-items")});
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 0) << Describe(result);

        QStringList received = receivedNumbers();
        received.sort();
        EXPECT_EQ(received, recipients) << Describe(result);  // every number exactly once

        const auto summary = Parse_Summary(result.out);
        ASSERT_TRUE(summary.found) << Describe(result);
        EXPECT_EQ(summary.total, 20);
        EXPECT_EQ(summary.sent, 20);
        EXPECT_EQ(summary.notSent, 0);
        EXPECT_EQ(summary.leftOut, 0);
        EXPECT_EQ(Status_Count(result.out, kSent), 20) << Describe(result);
        // The engine's progress text on standard error, up to the end.
        EXPECT_TRUE(result.err.contains(QStringLiteral("20 / 20 Message or 100.00%")))
            << Describe(result);
        EXPECT_TRUE(result.err.contains(QStringLiteral("SMS Sending process is finished.")));

        const QString text = readReport(report);
        EXPECT_TRUE(c.wellFormed(text)) << text.left(200).toStdString();
        for (const QString& number : recipients) {
            EXPECT_TRUE(text.contains(number)) << number.toStdString();
        }
        EXPECT_EQ(text.count(kSent), 20);
        EXPECT_TRUE(text.contains(c.shownMessage(message)));
        EXPECT_TRUE(result.err.contains(QStringLiteral("Report written to ") + report));
    }
    // Both runs were added to the sent items, one record per message.
    QFile sentItems(QDir(resourceDir()).filePath(QStringLiteral("TESK_SMS_DATA/SentItem.VORN")));
    ASSERT_TRUE(sentItems.open(QIODevice::ReadOnly));
    const QString stored = QString::fromUtf8(sentItems.readAll());
    EXPECT_EQ(stored.count(QStringLiteral("Spring sale 1")), 20);
    EXPECT_EQ(stored.count(QStringLiteral("Spring sale 2")), 20);
}

TEST_F(CliSend, ExcludedAndRepeatedNumbersAreNeverSent) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    const QStringList recipients = numbers(6);
    // A repeated number, and a csv list whose other columns are no numbers.
    const QString list =
        writeFile(QStringLiteral("people.csv"),
                  (QStringLiteral("Ann,%1\nBob,%2\nCid,%3\nDee,%4\nEve,%5\nFay,%6\nAnn again,%1\n")
                       .arg(recipients[0], recipients[1], recipients[2], recipients[3],
                            recipients[4], recipients[5]))
                      .toUtf8());
    const QString excludedOne = writeFile(QStringLiteral("stop1.txt"), recipients[1].toUtf8());
    const QString excludedTwo =
        writeFile(QStringLiteral("stop2.txt"), (recipients[4] + QStringLiteral("\n")).toUtf8());

    const auto result =
        run(sendArguments(list, QStringLiteral("Hello")) +
            QStringList{QStringLiteral("--exclude"), excludedOne, QStringLiteral("--exclude"),
                        excludedTwo, QStringLiteral("--skip-duplicates")});
    ASSERT_TRUE(result.finished) << Describe(result);
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    QStringList received = receivedNumbers();
    received.sort();
    EXPECT_EQ(received, (QStringList{recipients[0], recipients[2], recipients[3], recipients[5]}))
        << Describe(result);
    const auto summary = Parse_Summary(result.out);
    ASSERT_TRUE(summary.found) << Describe(result);
    EXPECT_EQ(summary.sent, 4);
    EXPECT_EQ(summary.notSent, 0);
}

TEST_F(CliSend, ADeviceThatRefusesLeavesTheRestNotSent) {
    tesk::vmodem::Config refusing = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    refusing.cmsErrorOnSubmission = 3;
    addModem(refusing);
    const QStringList recipients = numbers(6);
    const QString report = dir.filePath(QStringLiteral("not-sent.txt"));
    const auto result = run(sendArguments(numbersFile(recipients), QStringLiteral("Hi")) +
                            QStringList{QStringLiteral("--report"), report,
                                        QStringLiteral("--status"), QStringLiteral("not-sent")});
    ASSERT_TRUE(result.finished) << Describe(result);
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    // The first two went out; the third was refused and the device took no more.
    EXPECT_EQ(receivedNumbers(), recipients.mid(0, 2)) << Describe(result);
    const auto summary = Parse_Summary(result.out);
    ASSERT_TRUE(summary.found) << Describe(result);
    EXPECT_EQ(summary.total, 6);
    EXPECT_EQ(summary.sent, 2);
    EXPECT_EQ(summary.notSent, 4);
    EXPECT_EQ(Status_Count(result.out, kSent), 2);
    EXPECT_EQ(Status_Count(result.out, QStringLiteral("Stopped.")), 3) << Describe(result);
    EXPECT_TRUE(result.out.contains(QStringLiteral("CMS ERROR"))) << Describe(result);

    // The report lists exactly the items that were not sent.
    const QString text = readReport(report);
    for (int i = 0; i < recipients.size(); ++i) {
        EXPECT_EQ(text.contains(recipients[i]), i >= 2) << recipients[i].toStdString();
    }
    EXPECT_FALSE(text.contains(kSent));
}

TEST_F(CliSend, ADeviceThatCannotBeUsedIsLeftOutAndTheOthersSend) {
    tesk::vmodem::Config bare = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    bare.serviceCentreAnswer = tesk::vmodem::ServiceCentreAnswer::Absent;
    addModem(bare);
    addModem(modem(QStringLiteral("VM1"), QStringLiteral("353918057361927")));
    const QStringList recipients = numbers(5);
    const auto result = run(sendArguments(numbersFile(recipients), QStringLiteral("Hi")));
    ASSERT_TRUE(result.finished) << Describe(result);
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    // The device without a service centre was left out on the user's behalf, and said so.
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("VM0\nDefault SMSC Number could not be located for this device.")))
        << Describe(result);
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("Are you sure you want to continue without selecting device?\n-> Yes")))
        << Describe(result);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Devices: VM1 ("))) << Describe(result);
    QStringList received = receivedNumbers();
    received.sort();
    EXPECT_EQ(received, recipients);
    EXPECT_EQ(modems[0]->submissions(), 0);
    EXPECT_EQ(modems[1]->submissions(), 5);
}

TEST_F(CliSend, AReportThatCannotBeWrittenEndsWithStatusOne) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    const QStringList recipients = numbers(2);
    const QString report = dir.filePath(QStringLiteral("no-such-folder/status.txt"));
    const auto result = run(sendArguments(numbersFile(recipients), QStringLiteral("Hi")) +
                            QStringList{QStringLiteral("--report"), report});
    ASSERT_TRUE(result.finished) << Describe(result);
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Error in file accessing.")))
        << Describe(result);
    EXPECT_EQ(Parse_Summary(result.out).sent, 2) << Describe(result);
    EXPECT_FALSE(QFile::exists(report));
}

TEST_F(CliSend, NoWorkingDeviceEndsWithStatusTwoAndSendsNothing) {
    struct Case {
        const char* name;
        std::function<QString()> devices;
        QString message;
    };
    const Case cases[] = {
        {"path without a device", [this] { return dir.filePath(QStringLiteral("ttyGONE")); },
         QStringLiteral("Device list is empty.")},
        {"device without SMS",
         [this] {
             tesk::vmodem::Config noSms =
                 modem(QStringLiteral("VM5"), QStringLiteral("490154203237518"));
             noSms.smsSupported = false;
             return addModem(noSms).portPath();
         },
         QStringLiteral("Device list is empty.")},
        {"device without the mode asked for",
         [this] {
             tesk::vmodem::Config pduOnly =
                 modem(QStringLiteral("VM6"), QStringLiteral("356938035643806"));
             pduOnly.modes = tesk::vmodem::SmsModes::Pdu;
             return addModem(pduOnly).portPath() + QStringLiteral(" --mode text");
         },
         QStringLiteral("Please select device from list.")},
    };
    const QString list = numbersFile(numbers(3));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList devicesAndMore = c.devices().split(QLatin1Char(' '));
        const auto result = run(QStringList{QStringLiteral("send"), QStringLiteral("--numbers"),
                                            list, QStringLiteral("--message"), QStringLiteral("Hi"),
                                            QStringLiteral("--devices")} +
                                devicesAndMore);
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        EXPECT_TRUE(result.err.contains(c.message)) << Describe(result);
        EXPECT_FALSE(Parse_Summary(result.out).found) << Describe(result);
    }
    EXPECT_TRUE(receivedNumbers().isEmpty());
    for (const auto& m : modems) {
        EXPECT_EQ(m->submissions(), 0);
    }
}

TEST_F(CliSend, NothingToSendEndsWithStatusTwo) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    struct Case {
        const char* name;
        QByteArray contents;
        QString message;
    };
    const Case cases[] = {
        {"no valid number", "hello\nworld\n",
         QStringLiteral("Either file is corrupted or selected file contains invalid characters.")},
        {"missing file", QByteArray(),
         QStringLiteral("Either file is corrupted or selected file contains invalid characters.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.contents.isNull() ? dir.filePath(QStringLiteral("missing.txt"))
                                                 : writeFile(QStringLiteral("bad.txt"), c.contents);
        const auto result = run(sendArguments(path, QStringLiteral("Hi")));
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        EXPECT_TRUE(result.err.contains(c.message)) << Describe(result);
        EXPECT_TRUE(result.err.contains(QStringLiteral("Phone numbers-Messages list is empty.")))
            << Describe(result);
    }
    EXPECT_EQ(modems[0]->submissions(), 0);
}

}  // namespace
