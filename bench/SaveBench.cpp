// Saving the 256 MiB recording of demo user 10002 through the whole save flow ("解析并下载" with
// the song's page address in 编辑框1, the save dialog answered with a file in a temporary folder),
// beside `curl -o FILE` of the same audio from the same service in the same iteration.
//
// The demo service runs in a process of its own, and every save and every curl in a forked child
// of a parent that holds next to nothing, so that the child's peak resident memory (ru_maxrss)
// belongs to that one download; an idle child shows the part of it that any child starts with.
// Also reported: the longest stretch in which the window handled no events during the save.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/MainWindow.h"
#include "bench/GapMeter.h"
#include "demo/Audio.h"
#include "demo/Catalogue.h"
#include "demo/DemoService.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"
#include "platform/toolkit/qt/QtToolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using Clock = std::chrono::steady_clock;
using bench::GapMeter;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr double kFileMiB = static_cast<double>(demo::kLargeAudioSize) / (1 << 20);

// The demo service in a child process; it serves until this object goes away.
class ServiceProcess {
 public:
  ServiceProcess() {
    int portPipe[2];
    int stopPipe[2];
    // The write end of stopPipe stays out of the curl processes that this one starts.
    if (pipe(portPipe) != 0 || pipe2(stopPipe, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(portPipe[0]);
      close(stopPipe[1]);
      DemoService demo;
      const int port = demo.Start(0) ? demo.Port() : 0;
      const bool told = write(portPipe[1], &port, sizeof port) == sizeof port;
      char ignored;
      while (told && read(stopPipe[0], &ignored, 1) > 0) {
      }
      demo.Stop();
      _exit(0);
    }
    close(portPipe[1]);
    close(stopPipe[0]);
    stop_ = stopPipe[1];
    if (pid_ < 0 || read(portPipe[0], &port_, sizeof port_) != sizeof port_) port_ = 0;
    close(portPipe[0]);
  }
  ~ServiceProcess() {
    if (stop_ >= 0) close(stop_);  // the service stops when its end of the pipe sees no writer
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool Running() const { return port_ != 0; }
  std::string Address(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }

 private:
  pid_t pid_ = -1;
  int stop_ = -1;
  int port_ = 0;
};

// A folder for the saved files, removed with everything in it when this object goes away.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "singrove-save-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  bool Made() const { return !path_.empty(); }
  std::string File(std::string_view name) const { return (path_ / name).string(); }
  // Removes every file in the folder.
  void Empty() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }

 private:
  std::filesystem::path path_;
};

// The processor time this process has used so far, in milliseconds.
double CpuMs(const rusage& usage) {
  const auto ms = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000 + static_cast<double>(time.tv_usec) / 1000;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double OwnCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return CpuMs(usage);
}

// What a save reports from its child.
struct SaveOutcome {
  double ms = 0;
  double cpuMs = 0;  // processor time, the kernel's included
  double longestGapMs = 0;
  bool saved = false;
};

bool HoldsTheWholeAudio(const std::string& path) {
  std::error_code error;
  return std::filesystem::file_size(path, error) == demo::kLargeAudioSize && !error;
}

// The save on the headless toolkit, from the click to the reported result.
SaveOutcome SaveOnHeadless(const std::string& pageAddress, const std::string& path) {
  static const Text kSaved = Gbk("保存成功");
  HeadlessToolkit toolkit;
  GapMeter gaps;
  toolkit.WhilePendingEvents([&gaps] { gaps.Tick(); });
  toolkit.AnswerSaveDialog([&path](const SaveDialogRequest&) { return std::optional<Text>(path); });
  UseToolkit(&toolkit);
  toolkit.LoadWindow(MainWindowDescription());
  toolkit.SetEditText(kSongAddressBox, pageAddress);
  gaps.Start();
  const double cpuStart = OwnCpuMs();
  const Clock::time_point start = Clock::now();
  toolkit.Click(kResolveButton);
  gaps.Tick();
  SaveOutcome outcome{.ms = Milliseconds(Clock::now() - start).count(),
                      .cpuMs = OwnCpuMs() - cpuStart,
                      .longestGapMs = gaps.LongestMs()};
  UseToolkit(nullptr);
  outcome.saved = toolkit.Messages() == std::vector<Text>{kSaved} && HoldsTheWholeAudio(path);
  return outcome;
}

// The save in the Qt window (offscreen platform), from the click to the end of its handler. A timer
// due every 10 ms ticks whenever the window handles events; it also answers the save dialog with
// path and closes the message box as soon as they show (each within those 10 ms).
SaveOutcome SaveInTheWindow(const std::string& pageAddress, const std::string& path) {
  QtToolkit toolkit;
  UseToolkit(&toolkit);
  toolkit.LoadWindow(MainWindowDescription());
  toolkit.Window()
      ->findChild<QWidget*>(QString::fromUtf8(kSongAddressBox.data()))
      ->setProperty("text", QString::fromStdString(pageAddress));
  auto* button = toolkit.Window()->findChild<QPushButton*>(QString::fromUtf8(kResolveButton.data()));
  GapMeter gaps;
  QString message;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    gaps.Tick();
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      // Typed into the name box: selectFile leaves the box alone once it has the focus.
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) {
        name->setText(QString::fromStdString(path));
      }
      static_cast<QDialog*>(dialog)->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      message = box->text();
      box->accept();
    }
  });
  ticker.start(10);
  gaps.Start();
  const double cpuStart = OwnCpuMs();
  const Clock::time_point start = Clock::now();
  button->click();
  gaps.Tick();
  const double ms = Milliseconds(Clock::now() - start).count();
  const double cpuMs = OwnCpuMs() - cpuStart;
  ticker.stop();
  UseToolkit(nullptr);
  return {.ms = ms,
          .cpuMs = cpuMs,
          .longestGapMs = gaps.LongestMs(),
          .saved = message == QString::fromUtf8("保存成功") && HoldsTheWholeAudio(path)};
}

using Saver = SaveOutcome (*)(const std::string& pageAddress, const std::string& path);

struct ChildRun {
  SaveOutcome outcome;
  double peakMiB = 0;
  bool ended = false;  // the child exited by itself with status 0
};

double PeakMiB(const rusage& usage) {
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Runs save in a forked child and measures it there; saver null: a child that does nothing.
ChildRun SaveInChild(Saver save, const std::string& pageAddress, const std::string& path) {
  int results[2];
  if (pipe(results) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(results[0]);
    const SaveOutcome outcome = save != nullptr ? save(pageAddress, path) : SaveOutcome{};
    const bool told = write(results[1], &outcome, sizeof outcome) == sizeof outcome;
    _exit(told ? 0 : 1);
  }
  close(results[1]);
  ChildRun run;
  const bool read_ =
      child > 0 && read(results[0], &run.outcome, sizeof run.outcome) == sizeof run.outcome;
  close(results[0]);
  int status = 0;
  rusage usage{};
  if (child > 0) wait4(child, &status, 0, &usage);
  run.peakMiB = PeakMiB(usage);
  run.ended = read_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// `curl -s -f -o path address` in a child process, timed from the fork to its end.
ChildRun CurlInChild(const std::string& address, const std::string& path) {
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execlp("curl", "curl", "-s", "-f", "-o", path.c_str(), address.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child > 0) wait4(child, &status, 0, &usage);
  ChildRun run;
  run.outcome.ms = Milliseconds(Clock::now() - start).count();
  run.outcome.cpuMs = CpuMs(usage);
  run.outcome.saved = HoldsTheWholeAudio(path);
  run.peakMiB = PeakMiB(usage);
  run.ended = child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void BM_Save256MiB(benchmark::State& state, Saver save) {
  const ServiceProcess service;
  const TemporaryFolder folder;
  if (!service.Running() || !folder.Made()) {
    state.SkipWithError("the demo service did not start or no temporary folder was made");
    return;
  }
  const std::string pageAddress = service.Address("/play?s=" + std::string(demo::kLargeAudioShareId));
  const std::string audioAddress =
      service.Address("/audio/" + std::string(demo::kLargeAudioShareId) + ".m4a");
  const std::string savedPath = folder.File("saved.m4a");
  const std::string curlPath = folder.File("curl.m4a");
  double saveMs = 0;
  double curlMs = 0;
  double saveCpuMs = 0;
  double curlCpuMs = 0;
  double peakMiB = 0;
  double curlPeakMiB = 0;
  double longestGapMs = 0;
  for (auto _ : state) {
    folder.Empty();
    const ChildRun curl = CurlInChild(audioAddress, curlPath);
    const ChildRun saved = SaveInChild(save, pageAddress, savedPath);
    if (!curl.ended || !curl.outcome.saved) {
      state.SkipWithError("curl did not download the audio (is the curl program installed?)");
      break;
    }
    if (!saved.ended || !saved.outcome.saved) {
      state.SkipWithError("the save did not write the whole audio");
      break;
    }
    state.SetIterationTime(saved.outcome.ms / 1000);
    saveMs += saved.outcome.ms;
    curlMs += curl.outcome.ms;
    saveCpuMs += saved.outcome.cpuMs;
    curlCpuMs += curl.outcome.cpuMs;
    peakMiB = std::max(peakMiB, saved.peakMiB);
    curlPeakMiB = std::max(curlPeakMiB, curl.peakMiB);
    longestGapMs = std::max(longestGapMs, saved.outcome.longestGapMs);
  }
  folder.Empty();
  const ChildRun idle = SaveInChild(nullptr, pageAddress, savedPath);
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["save_ms"] = saveMs / iterations;
  state.counters["curl_ms"] = curlMs / iterations;
  state.counters["per_curl"] = curlMs > 0 ? saveMs / curlMs : 0;
  state.counters["save_cpu_ms"] = saveCpuMs / iterations;
  state.counters["curl_cpu_ms"] = curlCpuMs / iterations;
  state.counters["peak_MiB"] = peakMiB;
  state.counters["peak_per_file"] = peakMiB / kFileMiB;
  state.counters["curl_peak_MiB"] = curlPeakMiB;
  state.counters["idle_child_MiB"] = idle.peakMiB;
  state.counters["longest_gap_ms"] = longestGapMs;
}

BENCHMARK_CAPTURE(BM_Save256MiB, Headless, &SaveOnHeadless)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save256MiB, InTheWindow, &SaveInTheWindow)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace singrove
