#pragma once
// Virtual modems on real pseudo-terminals for any suite: each is announced in a private runtime
// folder that XDG_RUNTIME_DIR points at, so the ports the program finds are these and no others,
// and every one logs what it receives (and what it refuses) to one JSON-lines file there.
//
// Header only, so a suite needs no more than tesk_vmodem and tesk_test_support. Hold one as a
// fixture member; the modems stop before the folder goes.
#include "virtual-modem/virtual_modem.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tesk::test {

class VirtualModems {
  public:
    VirtualModems() {
        EXPECT_TRUE(dir_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    }

    // Starts a modem; without a log path of its own it logs to logPath().
    vmodem::VirtualModem& add(vmodem::Config config = {}) {
        if (config.logPath.isEmpty()) {
            config.logPath = logPath();
        }
        modems_.push_back(std::make_unique<vmodem::VirtualModem>(config));
        QString error;
        EXPECT_TRUE(modems_.back()->start(&error)) << error.toStdString();
        return *modems_.back();
    }
    static vmodem::Config named(const QString& name, const QString& imei = {}) {
        vmodem::Config config;
        config.name = name;
        if (!imei.isEmpty()) {
            config.imei = imei;
        }
        return config;
    }
    // Stops and forgets every modem (a later one may take a name again).
    void clear() { modems_.clear(); }

    vmodem::VirtualModem& operator[](std::size_t i) const { return *modems_.at(i); }
    vmodem::VirtualModem& back() const { return *modems_.back(); }
    int size() const { return static_cast<int>(modems_.size()); }
    // Iterates the modems as owning pointers (for (const auto& m : modems) m->...).
    auto begin() const { return modems_.begin(); }
    auto end() const { return modems_.end(); }
    QStringList paths() const {
        QStringList paths;
        for (const auto& modem : modems_) {
            paths.append(modem->portPath());
        }
        return paths;
    }

    const QTemporaryDir& dir() const { return dir_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString logPath() const { return filePath(QStringLiteral("received.jsonl")); }
    // Every line of the shared log, refusals included, in the order written.
    QList<QJsonObject> logLines() const {
        QFile file(logPath());
        QList<QJsonObject> lines;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty()) {
                    lines.append(QJsonDocument::fromJson(line).object());
                }
            }
        }
        return lines;
    }

  private:
    QTemporaryDir dir_;
    std::vector<std::unique_ptr<vmodem::VirtualModem>> modems_;
};

}  // namespace tesk::test
