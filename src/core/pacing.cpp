#include "core/pacing.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace tesk::pacing {
namespace {

double scaleFromEnvironment() {
    bool ok = false;
    const double value = qEnvironmentVariable("TESK_SMS_TIME_SCALE").toDouble(&ok);
    return ok && value > 0 ? value : 1.0;
}

std::atomic<double>& currentScale() {
    static std::atomic<double> value{scaleFromEnvironment()};
    return value;
}

std::mutex& todayMutex() {
    static std::mutex m;
    return m;
}

QDate& fixedToday() {
    static QDate date = QDate::fromString(qEnvironmentVariable("TESK_SMS_TODAY"), Qt::ISODate);
    return date;
}

}  // namespace

double scale() {
    return currentScale().load();
}

void setScale(double factor) {
    currentScale().store(factor > 0 ? factor : 1.0);
}

double scaled(double seconds) {
    return seconds * scale();
}

void wait(double seconds) {
    const double s = scaled(seconds);
    if (s > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(s));
    }
}

QDate today() {
    std::lock_guard lock(todayMutex());
    return fixedToday().isValid() ? fixedToday() : QDate::currentDate();
}

void setToday(const QDate& date) {
    std::lock_guard lock(todayMutex());
    fixedToday() = date;
}

}  // namespace tesk::pacing
