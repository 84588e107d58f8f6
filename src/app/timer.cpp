#include "app/timer.h"

namespace tq::app {

CheckTimer::CheckTimer(QObject* parent) : QObject(parent) {}
void CheckTimer::setPeriod(std::int32_t milliseconds) { period_ = milliseconds; }

}  // namespace tq::app
