// The singrove program itself, run as a separate process the way scripts run it: its exit codes,
// its two output streams, and a save into the folder it runs in.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include "demo/DemoService.h"
#include "tests/cli/CliRun.h"

extern char** environ;

namespace singrove {
namespace {

// Runs the program with the arguments in folder; its standard output and error go to files there.
test::CliResult RunProgram(const std::filesystem::path& folder,
                           std::vector<std::string> arguments) {
  const std::string outPath = (folder / ".stdout").string();
  const std::string errPath = (folder / ".stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv{const_cast<char*>(SINGROVE_CLI_PROGRAM)};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  test::CliResult result;
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid) return result;
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = test::ReadFile(outPath);
  result.err = test::ReadFile(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

TEST(SingroveProgram, ExitsWithTheCodeOfItsCommandLine) {
  const test::TemporaryFolder folder;
  const test::CliResult version = RunProgram(folder.Path(), {"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out, "singrove " SINGROVE_VERSION "\n");

  const test::CliResult wrong = RunProgram(folder.Path(), {"lsit", "10037"});
  EXPECT_EQ(wrong.code, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_TRUE(wrong.err.starts_with("singrove: unknown command 'lsit'\nUsage:")) << wrong.err;

  const test::CliResult failed = RunProgram(folder.Path(), {"resolve", "http://127.0.0.1:1/"});
  EXPECT_EQ(failed.code, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_TRUE(test::FolderNames(folder.Path()).empty());
}

TEST(SingroveProgram, ResolvesAndSavesUnderTheProposedNameInItsCurrentFolder) {
  DemoService service;
  ASSERT_TRUE(service.Start(0));
  const test::TemporaryFolder folder;
  const std::string page = service.BaseUrl() + "/play?s=u10037w0005";  // "AC/DC 致敬"

  const test::CliResult resolved = RunProgram(folder.Path(), {"resolve", page});
  EXPECT_EQ(resolved.code, 0);
  EXPECT_EQ(resolved.out, "AC/DC 致敬 \n" + service.BaseUrl() + "/audio/u10037w0005.m4a\n");

  const test::CliResult saved = RunProgram(folder.Path(), {"save", page});
  EXPECT_EQ(saved.code, 0);
  EXPECT_EQ(saved.out, "保存成功\n");
  EXPECT_EQ(saved.err, "");
  // The window's proposal: the title with its '/' made '_', then ".m4a".
  EXPECT_EQ(test::FolderNames(folder.Path()), std::vector<std::string>{"AC_DC 致敬 .m4a"});
  EXPECT_GT(std::filesystem::file_size(folder.Path() / "AC_DC 致敬 .m4a"), 0u);
}

}  // namespace
}  // namespace singrove
