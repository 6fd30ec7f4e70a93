// Throughput of the text operations that run over every fetched page, on mostly ASCII HTML with
// GBK characters mixed in, at 16 MiB and 32 MiB so that the two sizes show whether time grows
// linearly. glibc's memmem over the same buffer is the reference for LocateText.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <map>
#include <string>

#include "text/Gbk.h"
#include "text/Markers.h"
#include "text/Primitives.h"

namespace singrove {
namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::string_view kAbsentNeedle = "</nosuch1>";  // 10 bytes, never in the page

// A list page the size asked for: HTML lines, JSON-like items with titles, Chinese text.
Text MakePage(std::size_t size) {
  static const Text kWords[] = {Gbk("歌曲"), Gbk("翻唱"), Gbk("小工具"), Gbk("　"), Gbk("你好")};
  std::uint32_t state = 2024;
  const auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  Text page;
  page.reserve(size + 512);
  while (page.size() < size) {
    page += "<div class=\"item\">\r\n\t<a href=\"/play?s=Ab";
    page += std::to_string(next() % 1000000);
    page += "\">";
    for (std::uint32_t k = 0, words = 1 + next() % 4; k < words; ++k) {
      page += kWords[next() % std::size(kWords)];
    }
    page += "</a>\r\n\t<span>{\"title\": \"Song ";
    page += std::to_string(next() % 1000);
    page += kWords[next() % std::size(kWords)];
    page += "\", \"play_count\": ";
    page += std::to_string(next() % 100000);
    page +=
        "}</span>\r\n</div>\r\n<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit.</p>\r\n";
  }
  page.resize(size);
  return page;
}

const Text& Page(std::int64_t size) {
  static std::map<std::int64_t, Text> pages;
  auto& page = pages[size];
  if (page.empty()) page = MakePage(static_cast<std::size_t>(size));
  return page;
}

void BM_Memmem(benchmark::State& state) {
  const Text& page = Page(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        memmem(page.data(), page.size(), kAbsentNeedle.data(), kAbsentNeedle.size()));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_LocateText(benchmark::State& state) {
  const Text& page = Page(state.range(0));
  const bool ignoreCase = state.range(1) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(LocateText(page, kAbsentNeedle, 1, ignoreCase));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.SetLabel(ignoreCase ? "ignoring case" : "exact");
}

void BM_SubstituteText(benchmark::State& state) {
  const Text& page = Page(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(SubstituteText(page, "\r\n", ""));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ReplaceMany(benchmark::State& state) {
  const Text& page = Page(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReplaceMany(page, "\r\n", "", {.find2 = "\t", .replacement2 = ""}));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ExtractAllBetween(benchmark::State& state) {
  const Text& page = Page(state.range(0));
  TextArray titles;
  for (auto _ : state)
    benchmark::DoNotOptimize(ExtractAllBetween(page, "title\": \"", "\"", titles));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.counters["items"] = static_cast<double>(titles.size());
}

// The worst case of a naive search: a needle 'aaa…ab' over a text of 'a' only.
void BM_LocateTextPeriodic(benchmark::State& state) {
  const Text text(static_cast<std::size_t>(state.range(0)), 'a');
  const Text needle = Text(63, 'a') + "b";
  const bool ignoreCase = state.range(1) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(LocateText(text, needle, 1, ignoreCase));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.SetLabel(ignoreCase ? "ignoring case" : "exact");
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(16 * kMiB)->Arg(32 * kMiB)->Unit(benchmark::kMillisecond);
}

void SizesAndCase(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgsProduct({{16 * kMiB, 32 * kMiB}, {0, 1}})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Memmem)->Apply(Sizes);
BENCHMARK(BM_LocateText)->Apply(SizesAndCase);
BENCHMARK(BM_SubstituteText)->Apply(Sizes);
BENCHMARK(BM_ReplaceMany)->Apply(Sizes);
BENCHMARK(BM_ExtractAllBetween)->Apply(Sizes);
BENCHMARK(BM_LocateTextPeriodic)->Apply(SizesAndCase);

}  // namespace
}  // namespace singrove

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // glibc gives blocks above its dynamic mmap threshold (at most 32 MiB) fresh pages on every call
  // and reuses smaller ones, which would make the 32 MiB runs pay page faults that the 16 MiB runs
  // do not. One fixed threshold above both sizes measures them under the same allocator behaviour.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
