#include <benchmark/benchmark.h>

#include <QTimer>
#include <algorithm>
#include <chrono>

#include "app/ListUserSongs.h"
#include "app/MainWindow.h"
#include "app/Service.h"
#include "demo/DemoService.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"
#include "platform/toolkit/qt/QtToolkit.h"

namespace singrove {
namespace {

using Clock = std::chrono::steady_clock;

// Lists demo user 13000 (3000 works, 200 list pages) on the headless toolkit and reports the
// longest stretch in which the window would have handled no events, and the rows per second.
void BM_ListThreeThousandWorks(benchmark::State& state) {
  DemoService demo;
  if (!demo.Start(0)) {
    state.SkipWithError("the demo service did not start");
    return;
  }
  SetServiceHostForTests("127.0.0.1:" + std::to_string(demo.Port()));
  double longestGapMs = 0;
  int rows = 0;
  for (auto _ : state) {
    HeadlessToolkit toolkit({.realDelays = false});
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    toolkit.WhilePendingEvents([&] {
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
    });
    UseToolkit(&toolkit);
    toolkit.LoadWindow(MainWindowDescription());
    toolkit.SetEditText(kUserIdBox, "13000");
    last = Clock::now();
    toolkit.Click(kQueryButton);
    longest = std::max(longest, Clock::now() - last);
    UseToolkit(nullptr);
    rows = toolkit.GridRowCount() - 1;
    longestGapMs =
        std::max(longestGapMs, std::chrono::duration<double, std::milli>(longest).count());
  }
  SetServiceHostForTests("");
  demo.Stop();
  state.counters["rows"] = rows;
  state.counters["longest_gap_ms"] = longestGapMs;
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ListThreeThousandWorks)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same listing in the Qt window (offscreen platform): a 1 ms timer ticks whenever the window
// handles events, so the longest time between two ticks is the longest stretch without them.
void BM_ListThreeThousandWorksInTheWindow(benchmark::State& state) {
  DemoService demo;
  if (!demo.Start(0)) {
    state.SkipWithError("the demo service did not start");
    return;
  }
  SetServiceHostForTests("127.0.0.1:" + std::to_string(demo.Port()));
  QtToolkit toolkit;
  UseToolkit(&toolkit);
  toolkit.LoadWindow(MainWindowDescription());
  double longestGapMs = 0;
  for (auto _ : state) {
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
    });
    ticker.start(1);
    // The listing as the button starts it, without the mouse.
    last = Clock::now();
    toolkit.Window()
        ->findChild<QWidget*>(QString::fromUtf8("编辑框2"))
        ->setProperty("text", QString::fromUtf8("13000"));
    ListUserSongs();
    longest = std::max(longest, Clock::now() - last);
    longestGapMs =
        std::max(longestGapMs, std::chrono::duration<double, std::milli>(longest).count());
  }
  state.counters["rows"] = toolkit.GridRowCount() - 1;
  state.counters["longest_gap_ms"] = longestGapMs;
  UseToolkit(nullptr);
  SetServiceHostForTests("");
  demo.Stop();
}
BENCHMARK(BM_ListThreeThousandWorksInTheWindow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace singrove
