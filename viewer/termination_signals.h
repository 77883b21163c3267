// SIGTERM, SIGINT and SIGHUP end the viewer the orderly way: the handler only wakes the event
// loop, which then calls the given function (on the GUI thread).
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace viewer {

class TerminationSignals : public QObject {
  public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals() override;

  private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace viewer
