#include "app/timer.h"

namespace tq::app {

CheckTimer::CheckTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &CheckTimer::tick);
}

void CheckTimer::setPeriod(std::int32_t milliseconds) {
    if (milliseconds < 0)
        milliseconds = 0;
    if (milliseconds == period_)
        return;
    period_ = milliseconds;
    timer_.stop();
    if (period_ > 0)
        timer_.start(period_);
}

}  // namespace tq::app
