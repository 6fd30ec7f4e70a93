// The command line's grammar: what it accepts, its help and version, and the usage errors, which
// all exit with 2 before anything is fetched.

#include <gtest/gtest.h>

#include "cli/Arguments.h"
#include "tests/cli/CliRun.h"

namespace singrove {
namespace {

using test::RunCli;

TEST(ParseArguments, ReadsEachCommandWithItsOptionsInAnyOrder) {
  struct Case {
    std::vector<std::string> arguments;
    Command command;
    std::string target;
    bool json;
    std::optional<std::string> outputFile;
  };
  const Case cases[] = {
      {{"list", "10037"}, Command::kList, "10037", false, {}},
      {{"list", "--json", "10037"}, Command::kList, "10037", true, {}},
      {{"list", "10037", "--json"}, Command::kList, "10037", true, {}},
      {{"list", "--", "-5"}, Command::kList, "-5", false, {}},
      {{"list", ""}, Command::kList, "", false, {}},
      {{"resolve", "--json", "http://h/play?s=1"},
       Command::kResolve,
       "http://h/play?s=1",
       true,
       {}},
      {{"save", "u"}, Command::kSave, "u", false, {}},
      {{"save", "-o", "a b.m4a", "u"}, Command::kSave, "u", false, "a b.m4a"},
      {{"save", "u", "--output", "-"}, Command::kSave, "u", false, "-"},
      {{"save", "--output=x=y", "u"}, Command::kSave, "u", false, "x=y"},
      {{"save", "-o", "--json", "u"}, Command::kSave, "u", false, "--json"},
      {{"save", "-o", "f", "--", "-u"}, Command::kSave, "-u", false, "f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const ParsedArguments parsed = ParseArguments(c.arguments);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.invocation.command, c.command);
    EXPECT_EQ(parsed.invocation.target, c.target);
    EXPECT_EQ(parsed.invocation.json, c.json);
    EXPECT_EQ(parsed.invocation.outputFile, c.outputFile);
    EXPECT_FALSE(parsed.invocation.help);
  }
}

TEST(RunCommandLine, WrongCommandLinesGiveTheReasonAndTheUsageAndExitWithTwo) {
  struct Case {
    std::vector<std::string> arguments;
    std::string reason;
  };
  const Case cases[] = {
      {{}, "missing command"},
      {{"fetch", "1"}, "unknown command 'fetch'"},
      {{"List", "1"}, "unknown command 'List'"},
      {{"--verbose"}, "unknown option '--verbose'"},
      {{"--help", "list"}, "unexpected argument 'list'"},
      {{"--version", "x"}, "unexpected argument 'x'"},
      {{"list"}, "missing UID"},
      {{"list", "--json"}, "missing UID"},
      {{"list", "1", "2"}, "unexpected argument '2'"},
      {{"list", "-5"}, "unknown option '-5' for 'list'"},
      {{"list", "-o", "f", "1"}, "unknown option '-o' for 'list'"},
      {{"resolve"}, "missing URL"},
      {{"resolve", "--JSON", "u"}, "unknown option '--JSON' for 'resolve'"},
      {{"save", "--json", "u"}, "unknown option '--json' for 'save'"},
      {{"save", "u", "-o"}, "option '-o' needs a file name"},
      {{"save", "u", "--output="}, "option '--output=' needs a file name"},
      {{"save", "-o", "", "u"}, "option '-o' needs a file name"},
      {{"save", "-o", "a", "-o", "b", "u"}, "the output file is given twice"},
      {{"save", "-o", "a"}, "missing URL"},
      {{"list", "--bad\xFF"}, "unknown option '--bad\xEF\xBF\xBD' for 'list'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const test::CliResult result = RunCli(c.arguments);
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> lines = test::Lines(result.err);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "singrove: " + c.reason);
    EXPECT_EQ(lines[1], "Usage: singrove list [--json] UID");
    EXPECT_EQ(lines.back(), "Try 'singrove --help'.");
  }
}

TEST(RunCommandLine, HelpOfTheToolAndOfEachCommandAndTheVersionGoToStandardOutput) {
  struct Case {
    std::vector<std::string> arguments;
    std::string firstLine;
  };
  const Case cases[] = {
      {{"--help"}, "Usage: singrove COMMAND [OPTIONS] ARGUMENT"},
      {{"-h"}, "Usage: singrove COMMAND [OPTIONS] ARGUMENT"},
      {{"list", "--help"}, "Usage: singrove list [--json] UID"},
      {{"list", "--json", "-h"}, "Usage: singrove list [--json] UID"},
      {{"resolve", "--help"}, "Usage: singrove resolve [--json] URL"},
      {{"save", "http://x/play?s=1", "--help"}, "Usage: singrove save [-o FILE] URL"},
      {{"--version"}, "singrove " SINGROVE_VERSION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstLine);
    const test::CliResult result = RunCli(c.arguments);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err, "");
    ASSERT_FALSE(result.out.empty());
    EXPECT_EQ(test::Lines(result.out).front(), c.firstLine);
    EXPECT_EQ(result.out.back(), '\n');
  }
  EXPECT_NE(RunCli({"--help"}).out.find("list UID"), std::string::npos);
  EXPECT_NE(RunCli({"save", "--help"}).out.find("保存成功"), std::string::npos);
}

TEST(RunCommandLine, RefusesArgumentsThatGbkCannotHoldBeforeFetchingAnything) {
  // Nothing listens on port 1: a fetch would fail with exit 1, not 2.
  struct Case {
    std::vector<std::string> arguments;
    std::string what;
  };
  const Case cases[] = {
      {{"list", "1\xF0\x9F\x8E\xB5"}, "the UID '1\xF0\x9F\x8E\xB5'"},
      {{"resolve", "http://127.0.0.1:1/play?s=\xD8\xB3"},
       "the URL 'http://127.0.0.1:1/play?s=\xD8\xB3'"},
      {{"save", "-o", "song\xF0\x9F\x8E\xB5.m4a", "http://127.0.0.1:1/play?s=1"},
       "the file name 'song\xF0\x9F\x8E\xB5.m4a'"},
      {{"save", "-o", "bad\xFF.m4a", "http://127.0.0.1:1/play?s=1"},
       "the file name 'bad\xEF\xBF\xBD.m4a'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const test::CliResult result = RunCli(c.arguments);
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "singrove: " + c.what +
                              " holds a character that the program's code page (GBK) lacks, or "
                              "is not UTF-8\n");
  }
}

}  // namespace
}  // namespace singrove
