#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>

namespace tq::app {

// The check timer: a period in milliseconds, never negative once stored, 0 meaning stopped.
// Ticks that fall due while the window thread is busy come as one.
class CheckTimer : public QObject {
    Q_OBJECT
public:
    explicit CheckTimer(QObject* parent = nullptr);
    // Negative is stored as 0; the same value changes nothing; a new value restarts the wait
    // from this moment, and runs the timer only when above 0.
    void setPeriod(std::int32_t milliseconds);
    std::int32_t period() const { return period_; }

    bool isRunning() const { return timer_.isActive(); }
    // Milliseconds until the next tick; -1 when stopped.
    int remainingTime() const { return timer_.remainingTime(); }

signals:
    void tick();

private:
    QTimer timer_;
    std::int32_t period_ = 0;
};

}  // namespace tq::app
