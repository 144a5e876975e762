#pragma once
// Every fixed wait and read time-out of the program goes through here. TESK_SMS_TIME_SCALE
// (default 1) multiplies them all, so tests and rehearsals run the real paths faster.
// TESK_SMS_TODAY (yyyy-MM-dd) fixes the date the program believes it is.
#include <QDate>

namespace tesk::pacing {

// The scale read from the environment at first use, unless a test has set one.
double scale();
void setScale(double factor);

// Seconds after scaling.
double scaled(double seconds);

// Sleeps the calling thread for the scaled time. Never call it on the GUI thread.
void wait(double seconds);

QDate today();
void setToday(const QDate& date);  // an invalid date returns to the real calendar

// Restores a scale when it goes out of scope (tests).
class ScopedScale {
  public:
    explicit ScopedScale(double factor) : previous_(scale()) { setScale(factor); }
    ~ScopedScale() { setScale(previous_); }
    ScopedScale(const ScopedScale&) = delete;
    ScopedScale& operator=(const ScopedScale&) = delete;

  private:
    double previous_;
};

}  // namespace tesk::pacing
