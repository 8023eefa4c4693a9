#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tonvel {

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, a closed terminal) into a call on
// the event loop, where the program can end as it does from its own Exit command.
class TerminationSignals : public QObject {
  public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals() override;
    // False when the signals could not be caught; the default action then stays.
    bool installed() const { return notifier_ != nullptr; }

  private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tonvel
