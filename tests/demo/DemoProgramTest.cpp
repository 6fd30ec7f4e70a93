// The singrove-demo program as scripts/run and the tests of other suites use it: one line on
// stdout when it listens, a clean exit on SIGINT or SIGTERM, a refusal of non-loopback hosts.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace singrove {
namespace {

class DemoProgram {
 public:
  // Starts the program with these arguments; its stdout is read through Line, its stderr dropped.
  explicit DemoProgram(std::vector<std::string> arguments) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipeEnds[1], STDOUT_FILENO);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);
      close(pipeEnds[0]);
      std::vector<char*> argv{const_cast<char*>(SINGROVE_DEMO_PROGRAM)};
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
  }
  ~DemoProgram() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
  }
  DemoProgram(const DemoProgram&) = delete;
  DemoProgram& operator=(const DemoProgram&) = delete;

  // The first line it prints, without its newline; "" when it ends or is silent for 20 s.
  std::string Line() {
    std::string line;
    char c = 0;
    pollfd ready{.fd = output_, .events = POLLIN, .revents = 0};
    while (poll(&ready, 1, 20000) == 1 && read(output_, &c, 1) == 1 && c != '\n') line += c;
    return c == '\n' ? line : std::string();
  }

  // Sends a signal and returns the exit status, or -1 when it did not exit normally.
  int Stop(int signal) {
    kill(pid_, signal);
    return Wait();
  }

  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  bool exited_ = false;
};

TEST(DemoProgramTest, AnnouncesItsAddressServesAndStopsCleanlyOnSignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    DemoProgram program({"--port", "0"});
    const std::string line = program.Line();
    const std::string prefix = "listening on http://127.0.0.1:";
    ASSERT_TRUE(line.starts_with(prefix)) << line;
    const int port = std::stoi(line.substr(prefix.size()));
    EXPECT_GT(port, 0);

    const httplib::Result result = httplib::Client("127.0.0.1", port).Get("/personal?uid=10015");
    ASSERT_TRUE(result);
    EXPECT_NE(result->body.find("作品 15<"), std::string::npos);
    EXPECT_EQ(program.Stop(signal), 0);
  }
}

TEST(DemoProgramTest, RefusesNonLoopbackHostsAndBadArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"--host", "0.0.0.0"},
      {"--host", "192.168.1.1"},
      {"--port", "x"},
      {"--port", "70000"},
      {"--port"},
      {"--verbose"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments.front() + " " + (arguments.size() > 1 ? arguments[1] : ""));
    DemoProgram program(arguments);
    EXPECT_EQ(program.Line(), "");
    EXPECT_NE(program.Wait(), 0);
  }
}

}  // namespace
}  // namespace singrove
