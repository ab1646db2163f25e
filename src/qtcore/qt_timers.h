// The terminal's numbered timers on QTimer: start(id) restarts a repeating
// timer, and each tick calls the handler with the id.
#pragma once

#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace kestrel {

class QtTimers {
  public:
    void setHandler(std::function<void(int)> handler) { handler_ = std::move(handler); }
    void start(int id, int milliseconds);
    void stop(int id);
    bool active(int id) const;

  private:
    std::map<int, std::unique_ptr<QTimer>> timers_;
    std::function<void(int)> handler_;
};

}  // namespace kestrel
