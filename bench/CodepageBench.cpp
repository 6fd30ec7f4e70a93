#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/codepage/CharsetDecoder.h"

namespace singrove {
namespace {

// A UTF-8 page body of about the given size: markup, ASCII and Chinese text mixed as on a list page.
std::vector<unsigned char> Utf8Page(std::size_t size) {
  const std::string line =
      "<li class=\"song\"><a href=\"/play?s=Ab12Cd34\">\xE6\xAD\x8C\xE6\x9B\xB2\xE5\x90\x8D "
      "Singrove \xE7\xAC\xAC\xE4\xB8\x80\xE9\xA6\x96</a><span>\xE8\xAF\x84\xE8\xAE\xBA 12</span>"
      "</li>\n";
  std::vector<unsigned char> page;
  page.reserve(size + line.size());
  while (page.size() < size) page.insert(page.end(), line.begin(), line.end());
  return page;
}

void BM_DecodeCharsetUtf8(benchmark::State& state) {
  const std::vector<unsigned char> page = Utf8Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto text = DecodeCharset("utf-8", page);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_DecodeCharsetUtf8)->Arg(64 << 10)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace singrove
