// The time of day, as the core sees it: the platform's clock in the product,
// a fixed one in tests.
#pragma once

#include <ctime>

namespace kestrel {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::time_t now() const = 0;
};

class SystemClock : public Clock {
  public:
    std::time_t now() const override { return std::time(nullptr); }
};

}  // namespace kestrel
