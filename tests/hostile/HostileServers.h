#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "tests/support/LoopbackServer.h"

namespace singrove::test {

// Server behaviours that break the rules of HTTP on purpose. Each answers every request it reads.

// Sends the bytes, then closes the connection.
Handler SendThenClose(std::string bytes);
// Sends the bytes, then keeps the connection open and silent until the server stops.
Handler SendThenHold(std::string bytes);
// Sends head at once, then the bytes one at a time with a gap after each, then closes; it stops
// early when the client has gone or the server stops.
Handler Trickle(std::string head, std::string bytes, std::chrono::milliseconds gap);
// Sends every request on to another address of the same server, without end.
Handler RedirectForever();

// A server on 127.0.0.1 that sends its bytes as soon as it accepts a connection, before any
// request has come, then keeps the connection open and silent until it stops.
class SpeakingFirstServer {
 public:
  explicit SpeakingFirstServer(std::string bytes);
  ~SpeakingFirstServer();
  SpeakingFirstServer(const SpeakingFirstServer&) = delete;
  SpeakingFirstServer& operator=(const SpeakingFirstServer&) = delete;

  std::string Url(std::string_view pathAndQuery = "/") const;

 private:
  void Serve();

  std::string bytes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
};

// The longest wait between two calls of ProcessPendingEvents, counted from the probe's start to
// its Stop, while it is installed as the event hook.
class EventGapProbe {
 public:
  EventGapProbe();
  ~EventGapProbe();
  EventGapProbe(const EventGapProbe&) = delete;
  EventGapProbe& operator=(const EventGapProbe&) = delete;

  // Removes the hook and counts the wait from the last call to now.
  void Stop();
  std::chrono::milliseconds LongestGap() const;
  long Calls() const { return calls_; }

 private:
  void Note();

  using Clock = std::chrono::steady_clock;
  Clock::time_point last_;
  Clock::duration longest_{};
  long calls_ = 0;
  bool installed_ = true;
};

}  // namespace singrove::test
