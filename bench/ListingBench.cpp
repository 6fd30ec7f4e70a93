// Listing demo user 13000 (3000 works, 200 list pages) beside its ideal: the same 201 page fetches
// (the profile page and each list page) done back to back with no window, plus the listing's three
// pauses of 500 ms when the listing waits them. Each iteration times both, so load on the machine
// weighs on the listing and on its reference alike. Also reported: the longest stretch in which
// the window handled no events.
#include <benchmark/benchmark.h>

#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <string>

#include "app/ListUserSongs.h"
#include "app/MainWindow.h"
#include "bench/GapMeter.h"
#include "app/Service.h"
#include "demo/DemoService.h"
#include "fetch/FetchPage.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"
#include "platform/toolkit/qt/QtToolkit.h"

namespace singrove {
namespace {

using Clock = std::chrono::steady_clock;
using bench::GapMeter;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr const char* kUserId = "13000";
constexpr int kListPages = 200;
constexpr double kPausesMs = 3 * 500;

// The demo service on a free port, with the flows pointed at it.
class DemoForListing {
 public:
  DemoForListing() {
    if (!demo_.Start(0)) return;
    SetServiceHostForTests("127.0.0.1:" + std::to_string(demo_.Port()));
  }
  ~DemoForListing() {
    SetServiceHostForTests("");
    demo_.Stop();
  }
  DemoForListing(const DemoForListing&) = delete;
  DemoForListing& operator=(const DemoForListing&) = delete;

  bool Running() const { return demo_.Port() != 0; }

 private:
  DemoService demo_;
};

// The milliseconds of the listing's page fetches done back to back, with no toolkit in use.
double PageFetchesMs() {
  const Clock::time_point start = Clock::now();
  benchmark::DoNotOptimize(FetchPage(ServiceAddress(std::string("/personal?uid=") + kUserId)));
  for (int page = 1; page <= kListPages; ++page) {
    benchmark::DoNotOptimize(FetchPage(ServiceAddress(
        "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=" + std::to_string(page) +
        "&num=15&share_uid=" + kUserId)));
  }
  return Milliseconds(Clock::now() - start).count();
}

// What the iterations of one listing benchmark measured.
struct ListingFigures {
  double listingMs = 0;
  double idealMs = 0;
  double longestGapMs = 0;
  int rows = 0;

  void Add(double listing, double ideal, double longestGap) {
    listingMs += listing;
    idealMs += ideal;
    longestGapMs = std::max(longestGapMs, longestGap);
  }
  void Report(benchmark::State& state) const {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["listing_ms"] = listingMs / iterations;
    state.counters["ideal_ms"] = idealMs / iterations;
    state.counters["per_ideal"] = idealMs > 0 ? listingMs / idealMs : 0;
    state.counters["longest_gap_ms"] = longestGapMs;
  }
};

// The listing on the headless toolkit; Arg 1 waits the listing's pauses for real (and the ideal
// counts them), Arg 0 only records them.
void BM_ListThreeThousandWorks(benchmark::State& state) {
  const DemoForListing demo;
  if (!demo.Running()) {
    state.SkipWithError("the demo service did not start");
    return;
  }
  const bool realDelays = state.range(0) != 0;
  ListingFigures figures;
  for (auto _ : state) {
    HeadlessToolkit toolkit({.realDelays = realDelays});
    GapMeter gaps;
    toolkit.WhilePendingEvents([&gaps] { gaps.Tick(); });
    UseToolkit(&toolkit);
    toolkit.LoadWindow(MainWindowDescription());
    toolkit.SetEditText(kUserIdBox, kUserId);
    gaps.Start();
    const Clock::time_point start = Clock::now();
    toolkit.Click(kQueryButton);
    gaps.Tick();
    const double listingMs = Milliseconds(Clock::now() - start).count();
    UseToolkit(nullptr);
    figures.rows = toolkit.GridRowCount() - 1;
    const double idealMs = PageFetchesMs() + (realDelays ? kPausesMs : 0);
    state.SetIterationTime(listingMs / 1000);
    figures.Add(listingMs, idealMs, gaps.LongestMs());
  }
  figures.Report(state);
}
BENCHMARK(BM_ListThreeThousandWorks)
    ->ArgName("real_delays")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

// The same listing in the Qt window (offscreen platform). A timer due every 10 ms ticks whenever
// the window handles events, so the longest time between two ticks is the longest stretch
// without them (give or take the timer's period).
void BM_ListThreeThousandWorksInTheWindow(benchmark::State& state) {
  const DemoForListing demo;
  if (!demo.Running()) {
    state.SkipWithError("the demo service did not start");
    return;
  }
  QtToolkit toolkit;
  UseToolkit(&toolkit);  // the window's created event writes the grid header through it
  toolkit.LoadWindow(MainWindowDescription());
  auto* userIdBox = toolkit.Window()->findChild<QWidget*>(QString::fromUtf8(kUserIdBox.data()));
  ListingFigures figures;
  for (auto _ : state) {
    UseToolkit(&toolkit);
    GapMeter gaps;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&gaps] { gaps.Tick(); });
    ticker.start(10);
    userIdBox->setProperty("text", QString::fromUtf8(kUserId));
    gaps.Start();
    const Clock::time_point start = Clock::now();
    ListUserSongs();  // as the button starts it, without the mouse
    gaps.Tick();
    const double listingMs = Milliseconds(Clock::now() - start).count();
    ticker.stop();
    UseToolkit(nullptr);
    figures.rows = toolkit.GridRowCount() - 1;
    const double idealMs = PageFetchesMs() + kPausesMs;
    state.SetIterationTime(listingMs / 1000);
    figures.Add(listingMs, idealMs, gaps.LongestMs());
  }
  figures.Report(state);
}
BENCHMARK(BM_ListThreeThousandWorksInTheWindow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

}  // namespace
}  // namespace singrove
