#pragma once

namespace singrove {

// Held by a handler for the length of its flow, so that no flow starts inside another: while one
// is held the toolkit is busy, and a guard made meanwhile is refused and its handler returns.
class FlowGuard {
 public:
  FlowGuard();
  ~FlowGuard();
  FlowGuard(const FlowGuard&) = delete;
  FlowGuard& operator=(const FlowGuard&) = delete;

  // True when another flow was already running; the handler must then do nothing.
  bool Refused() const { return refused_; }

 private:
  bool refused_;
};

}  // namespace singrove
