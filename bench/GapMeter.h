#pragma once

#include <algorithm>
#include <chrono>

namespace singrove::bench {

// The longest time between two calls of Tick, counted from Start: how long the window went
// without handling its events.
class GapMeter {
 public:
  using Clock = std::chrono::steady_clock;

  void Start() {
    last_ = Clock::now();
    longest_ = {};
  }
  void Tick() {
    const Clock::time_point now = Clock::now();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  double LongestMs() const {
    return std::chrono::duration<double, std::milli>(longest_).count();
  }

 private:
  Clock::time_point last_ = Clock::now();
  Clock::duration longest_{};
};

}  // namespace singrove::bench
