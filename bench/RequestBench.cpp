// A 256 MiB download over loopback through FetchWithRequestObject, beside the plainest libcurl easy
// transfer of the same file into memory. Each download runs in a forked child, so that the child's
// peak resident memory (ru_maxrss) belongs to that download alone; an idle child shows the part of
// that peak that any child of this process starts with.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "fetch/FetchWithRequestObject.h"

namespace singrove {
namespace {

constexpr std::size_t kBodyBytes = std::size_t{256} << 20;

bool WriteAll(int socket, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

// Answers every request on a connection with the whole body until the client hangs up.
void ServeConnection(int socket, const std::vector<char>& body) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: audio/mp4\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n";
  std::string received;
  char buffer[4096];
  for (;;) {
    const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    received.append(buffer, static_cast<std::size_t>(got));
    while (received.find("\r\n\r\n") != std::string::npos) {
      received.erase(0, received.find("\r\n\r\n") + 4);
      if (!WriteAll(socket, head.data(), head.size()) ||
          !WriteAll(socket, body.data(), body.size())) {
        return;
      }
    }
  }
}

// A server in a process of its own, so that its copy of the body is in no client's memory.
class BodyServer {
 public:
  BodyServer() {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      std::abort();
    }
    port_ = ntohs(address.sin_port);
    pid_ = fork();
    if (pid_ == 0) {
      std::vector<char> body(kBodyBytes);
      for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 131 + (i >> 12));
      for (;;) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        ServeConnection(connection, body);
        close(connection);
      }
    }
    close(listener);
  }
  ~BodyServer() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/audio.m4a"; }

 private:
  int port_ = 0;
  pid_t pid_ = -1;
};

const BodyServer& Server() {
  static const BodyServer server;
  return server;
}

using Download = bool (*)(const std::string& url);

bool DownloadThroughTheFetcher(const std::string& url) {
  const Bytes body = FetchWithRequestObject(url);
  return body.size() == kBodyBytes;
}

struct Buffer {
  CURL* easy = nullptr;
  std::vector<unsigned char> bytes;
  bool reserved = false;
};

std::size_t AppendToBuffer(char* data, std::size_t size, std::size_t count, void* user) {
  auto& buffer = *static_cast<Buffer*>(user);
  if (!buffer.reserved) {
    buffer.reserved = true;
    curl_off_t announced = -1;
    curl_easy_getinfo(buffer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0) buffer.bytes.reserve(static_cast<std::size_t>(announced));
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  buffer.bytes.insert(buffer.bytes.end(), bytes, bytes + size * count);
  return size * count;
}

// The plainest transfer into memory: one easy handle, the buffer reserved from the announced
// length.
bool DownloadWithCurlEasy(const std::string& url) {
  Buffer buffer;
  buffer.easy = curl_easy_init();
  curl_easy_setopt(buffer.easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(buffer.easy, CURLOPT_WRITEFUNCTION, &AppendToBuffer);
  curl_easy_setopt(buffer.easy, CURLOPT_WRITEDATA, &buffer);
  const bool done = curl_easy_perform(buffer.easy) == CURLE_OK;
  curl_easy_cleanup(buffer.easy);
  return done && buffer.bytes.size() == kBodyBytes;
}

bool StayIdle(const std::string&) {
  return true;
}

struct ChildRun {
  double seconds = 0;
  long peakKiB = 0;
  bool done = false;
};

// Runs the download in a forked child and measures it there.
ChildRun RunInChild(Download download, const std::string& url) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const auto start = std::chrono::steady_clock::now();
    const bool done = download(url);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool written = write(pipeEnds[1], &seconds, sizeof seconds) == sizeof seconds;
    _exit(done && written ? 0 : 1);
  }
  close(pipeEnds[1]);
  ChildRun run;
  const bool read_ = read(pipeEnds[0], &run.seconds, sizeof run.seconds) == sizeof run.seconds;
  close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.peakKiB = usage.ru_maxrss;
  run.done = read_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void BM_Download256MiB(benchmark::State& state, Download download) {
  const std::string url = Server().Url();
  long peakKiB = 0;
  for (auto _ : state) {
    const ChildRun run = RunInChild(download, url);
    if (!run.done) {
      state.SkipWithError("the download failed");
      break;
    }
    state.SetIterationTime(run.seconds);
    peakKiB = std::max(peakKiB, run.peakKiB);
  }
  state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
  state.counters["peak_per_body"] = static_cast<double>(peakKiB) * 1024.0 / kBodyBytes;
  if (download != &StayIdle) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
  }
}

BENCHMARK_CAPTURE(BM_Download256MiB, FetchWithRequestObject, &DownloadThroughTheFetcher)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Download256MiB, CurlEasyBaseline, &DownloadWithCurlEasy)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Download256MiB, IdleChild, &StayIdle)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace singrove

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  curl_global_cleanup();
  return 0;
}
