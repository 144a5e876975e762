#pragma once
// tesk-sms-cli under test: virtual modems in a private runtime folder, a private resource
// directory, real files, and the program run as a child process with a fast clock.
#include "support/virtual_modems.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

#include <functional>

namespace tesk::cli::test {

// Only keeps a broken build from hanging the run; no timing is checked against it.
inline constexpr int kFailSafeMs = 120000;

struct CliRun {
    int exitCode = -1;  // also when it did not end by itself
    QString out;
    QString err;
};

// Prints both streams of a run when an expectation fails.
inline std::string Describe(const CliRun& run) {
    return "exit " + std::to_string(run.exitCode) + "\n--- stdout\n" + run.out.toStdString() +
           "--- stderr\n" + run.err.toStdString();
}

// A UTF-16 file after its byte-order mark (the status report, the delivery report).
inline QString Read_Utf16(const QString& path) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll().mid(2) : QByteArray();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / 2);
}

class CliTest : public ::testing::Test {
  protected:
    // Modem VM<n> with IMEI 35693803564380<n> unless the configuration names them.
    vmodem::VirtualModem& addModem(vmodem::Config config = {}) {
        if (config.name == vmodem::Config().name) {
            config.name = QString("VM%1").arg(modems.size());
            config.imei = QString("35693803564380%1").arg(modems.size());
        }
        return modems.add(config);
    }
    QString devicesArgument() const { return modems.paths().join(','); }

    QString dataFile(const QString& name) const {
        return modems.filePath("resources/TESK_SMS_DATA/" + name);
    }
    QString readData(const QString& name) const {
        QFile file(dataFile(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = modems.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    static QStringList numbers(int count) {
        QStringList list;
        for (int i = 0; i < count; ++i) {
            list.append(QString("+4477009%1").arg(i, 5, 10, QLatin1Char('0')));
        }
        return list;
    }
    QString numbersFile(const QStringList& list) const {
        return writeFile("numbers.txt", list.join('\n').toUtf8() + '\n');
    }

    // Every SMS the modems received, in arrival order, as the modems logged it (refused
    // submissions share the log).
    QList<QJsonObject> receivedSms() const {
        QList<QJsonObject> received = modems.logLines();
        received.removeIf([](const QJsonObject& sms) { return sms.value("refused").toBool(); });
        return received;
    }
    // Their destination numbers, in arrival order or sorted.
    QStringList receivedNumbers(bool sorted = false) const {
        QStringList numbers;
        for (const QJsonObject& sms : receivedSms()) {
            numbers.append(sms.value("number").toString());
        }
        if (sorted) {
            numbers.sort();
        }
        return numbers;
    }

    // Runs the program to its end. `whileRunning` is called every few milliseconds with the
    // process until it returns true (e.g. to send a signal mid-run).
    CliRun run(const QStringList& arguments,
               const std::function<bool(QProcess&)>& whileRunning = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TESK_SMS_TIME_SCALE", timeScale);
        env.insert("TESK_SMS_RESOURCE_DIR", modems.filePath("resources"));
        env.insert("XDG_RUNTIME_DIR", modems.dir().path());
        env.remove("TESK_SMS_LOG_STDERR");
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(TESK_SMS_CLI_BIN, arguments);
        CliRun result;
        if (!process.waitForStarted(kFailSafeMs)) {
            return result;
        }
        QDeadlineTimer deadline(kFailSafeMs);
        bool acted = !whileRunning;
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            acted = acted || whileRunning(process);
            process.waitForFinished(acted ? 100 : 5);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        // A crash reads as no exit status at all.
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    // "send" of a numbers file and a message through every modem added.
    CliRun send(const QString& numbers, const QString& message, const QStringList& more = {},
                const std::function<bool(QProcess&)>& whileRunning = {}) const {
        return run(QStringList{"send", "--numbers", numbers, "--message", message, "--devices",
                               devicesArgument()} +
                       more,
                   whileRunning);
    }

    // The modems announce themselves in its private runtime folder; the child gets the same one.
    // The folder also holds the resource directory and the files a test writes.
    tesk::test::VirtualModems modems;
    // The child's time scale: one "second" lasts 100 ms, fast, yet the read time-outs stay well
    // above what a loaded machine needs to answer from a virtual modem. A suite whose modems
    // answer slowly keeps them above their latency with a larger one.
    QString timeScale = "0.1";
};

}  // namespace tesk::cli::test
