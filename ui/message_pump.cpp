#include "ui/message_pump.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <climits>

#include "platform/window_messages.h"

namespace ui {
namespace {

// Child of the application object, so it goes away with it.
class ThreadMessagePump : public QObject {
  public:
    explicit ThreadMessagePump(QObject* parent)
        : QObject(parent), notifier_(platform::GetThreadMessageWakeFd(), QSocketNotifier::Read) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Pump(); });
        connect(&timer_, &QTimer::timeout, this, [this] { Pump(); });
        Rearm();
    }

    void Pump() {
        platform::PumpThreadMessages();
        Rearm();
    }

    void Rearm() {
        const auto next = platform::RealTimeUntilNextTimer();
        if (!next) {
            timer_.stop();
            return;
        }
        const auto ms = next->count();
        timer_.start(ms < 0 ? 0 : ms > INT_MAX ? INT_MAX : static_cast<int>(ms));
    }

  private:
    QSocketNotifier notifier_;
    QTimer timer_;
};

thread_local QPointer<ThreadMessagePump> tPump;

}  // namespace

void EnsureMessagePump() {
    if (tPump.isNull()) tPump = new ThreadMessagePump(QCoreApplication::instance());
}

void RearmMessagePump() {
    if (!tPump.isNull()) tPump->Rearm();
}

}  // namespace ui
