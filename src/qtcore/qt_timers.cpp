#include "qtcore/qt_timers.h"

namespace kestrel {

void QtTimers::start(int id, int milliseconds) {
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
            if (handler_) {
                handler_(id);
            }
        });
    }
    timer->start(milliseconds);
}

void QtTimers::stop(int id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) {
        found->second->stop();
    }
}

bool QtTimers::active(int id) const {
    auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

}  // namespace kestrel
