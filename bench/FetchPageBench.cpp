// FetchPage beside a bare libcurl transfer of the same body from the same loopback server, each
// opening a fresh connection: a 64 MiB plain body and a 2 KiB page.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

#include "fetch/FetchPage.h"
#include "platform/curl/CurlHandles.h"

namespace singrove {
namespace {

// Serves "/big" (64 MiB) and "/small" (2 KiB) of plain text from memory without copying them.
class BodyServer {
 public:
  BodyServer() : big_(PlainBody(std::size_t{64} << 20)), small_(PlainBody(2048)) {
    Serve("/big", big_);
    Serve("/small", small_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~BodyServer() {
    server_.stop();
    thread_.join();
  }
  BodyServer(const BodyServer&) = delete;
  BodyServer& operator=(const BodyServer&) = delete;

  std::string Url(const char* path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  static std::string PlainBody(std::size_t size) {
    const std::string line = "<p>plain text of a page, line after line, nothing to convert</p>\n";
    std::string body;
    body.reserve(size + line.size());
    while (body.size() < size) body += line;
    body.resize(size);
    return body;
  }

  void Serve(const char* path, const std::string& body) {
    server_.Get(path, [&body](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(
          body.size(), "text/html",
          [&body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            sink.write(body.data() + offset, std::min(length, body.size() - offset));
            return true;
          });
    });
  }

  std::string big_, small_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

BodyServer& Server() {
  static BodyServer server;
  return server;
}

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// The least a program can do with libcurl: one easy transfer of the body into memory.
void BM_RawCurl(benchmark::State& state, const char* path) {
  const std::string url = Server().Url(path);
  for (auto _ : state) {
    std::string body;
    CurlEasy easy(curl_easy_init());
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, static_cast<void*>(&body));
    if (curl_easy_perform(easy.get()) != CURLE_OK) state.SkipWithError("transfer failed");
    benchmark::DoNotOptimize(body);
  }
}

void BM_FetchPage(benchmark::State& state, const char* path) {
  const std::string url = Server().Url(path);
  for (auto _ : state) {
    Text page = FetchPage(url);
    if (page.empty()) state.SkipWithError("fetch failed");
    benchmark::DoNotOptimize(page);
  }
}

BENCHMARK_CAPTURE(BM_RawCurl, body_64MiB, "/big")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(BM_FetchPage, body_64MiB, "/big")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(BM_RawCurl, page_2KiB, "/small")->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK_CAPTURE(BM_FetchPage, page_2KiB, "/small")->Unit(benchmark::kMicrosecond)->MinTime(1);

}  // namespace
}  // namespace singrove
