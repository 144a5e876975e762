#pragma once
// tesk-sms-cli under test: virtual modems in a private runtime folder, a private resource
// directory, real files, and the program run as a child process with a fast clock.
#include "virtual-modem/virtual_modem.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <memory>
#include <vector>

namespace tesk::cli::test {

// One "second" of the program lasts 100 ms in these suites: fast, yet the read time-outs stay
// well above what a loaded machine needs to answer from a virtual modem.
inline constexpr const char* kTimeScale = "0.1";
// Only keeps a broken build from hanging the run; no timing is checked against it.
inline constexpr int kFailSafeMs = 120000;

struct CliRun {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

// The counts of the summary line the program prints last.
struct SummaryCounts {
    bool found = false;
    int total = -1;
    int sent = -1;
    int notSent = -1;
    int leftOut = -1;
};

inline SummaryCounts Parse_Summary(const QString& out) {
    static const QRegularExpression line(
        QStringLiteral(R"(Summary: (\d+) items, (\d+) sent, (\d+) not sent, (\d+) left out)"));
    const QRegularExpressionMatch m = line.match(out);
    if (!m.hasMatch()) {
        return {};
    }
    return {true, m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
            m.captured(4).toInt()};
}

// How many items ended in `status` according to the summary's per-status lines.
inline int Status_Count(const QString& out, const QString& status) {
    const QRegularExpression line(
        QStringLiteral(R"(^\s*(\d+)  %1$)").arg(QRegularExpression::escape(status)),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(out);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The modems announce themselves here; the child gets the same folder.
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    }

    vmodem::VirtualModem& addModem(vmodem::Config config) {
        config.logPath = logPath();
        modems.push_back(std::make_unique<vmodem::VirtualModem>(config));
        QString error;
        EXPECT_TRUE(modems.back()->start(&error)) << error.toStdString();
        return *modems.back();
    }
    static vmodem::Config modem(const QString& name, const QString& imei) {
        vmodem::Config config;
        config.name = name;
        config.imei = imei;
        return config;
    }
    QString devicesArgument() const {
        QStringList paths;
        for (const auto& m : modems) {
            paths.append(m->portPath());
        }
        return paths.join(QLatin1Char(','));
    }

    QString logPath() const { return dir.filePath(QStringLiteral("received.jsonl")); }
    QString resourceDir() const { return dir.filePath(QStringLiteral("resources")); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    static QStringList numbers(int count, int first = 0) {
        QStringList list;
        for (int i = first; i < first + count; ++i) {
            list.append(QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')));
        }
        return list;
    }
    QString numbersFile(const QStringList& list, const QString& name = "numbers.txt") const {
        return writeFile(name, list.join(QLatin1Char('\n')).toUtf8() + '\n');
    }

    // Every SMS the modems received, in arrival order, as the modems logged it.
    QList<QJsonObject> receivedSms() const {
        QList<QJsonObject> received;
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly)) {
            return received;
        }
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QJsonObject sms = QJsonDocument::fromJson(line).object();
            // Refused submissions share the log; they were not received.
            if (!line.trimmed().isEmpty() && !sms.value(QStringLiteral("refused")).toBool()) {
                received.append(sms);
            }
        }
        return received;
    }
    // Their destination numbers.
    QStringList receivedNumbers() const {
        QStringList numbers;
        for (const QJsonObject& sms : receivedSms()) {
            numbers.append(sms.value(QStringLiteral("number")).toString());
        }
        return numbers;
    }

    QProcessEnvironment childEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESK_SMS_TIME_SCALE"), timeScale);
        env.insert(QStringLiteral("TESK_SMS_RESOURCE_DIR"), resourceDir());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.remove(QStringLiteral("TESK_SMS_LOG_STDERR"));
        return env;
    }

    // Runs the program to its end. `whileRunning` is called every few milliseconds with the
    // process until it returns true (e.g. to send a signal mid-run).
    CliRun run(const QStringList& arguments,
               const std::function<bool(QProcess&)>& whileRunning = {}) const {
        QProcess process;
        process.setProcessEnvironment(childEnvironment());
        process.start(QStringLiteral(TESK_SMS_CLI_BIN), arguments);
        CliRun result;
        if (!process.waitForStarted(kFailSafeMs)) {
            return result;
        }
        QDeadlineTimer deadline(kFailSafeMs);
        bool acted = !whileRunning;
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (!acted) {
                acted = whileRunning(process);
            }
            process.waitForFinished(acted ? 100 : 5);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.finished = process.exitStatus() == QProcess::NormalExit;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<vmodem::VirtualModem>> modems;
    // The child's time scale. A suite whose modems answer slowly keeps the read time-outs well
    // above their latency with a larger one.
    QString timeScale = QString::fromLatin1(kTimeScale);
};

// Prints both streams of a run when an expectation fails.
inline std::string Describe(const CliRun& run) {
    return "exit " + std::to_string(run.exitCode) + "\n--- stdout\n" + run.out.toStdString() +
           "--- stderr\n" + run.err.toStdString();
}

}  // namespace tesk::cli::test
