#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/events/EventHook.h"
#include "platform/files/DesktopFolder.h"
#include "platform/files/ReplacementFile.h"
#include "platform/files/WriteWholeFile.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed afterwards.
class Folder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "singrove-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code error;
    fs::permissions(folder_, fs::perms::owner_all, error);
    fs::remove_all(folder_, error);
  }

  std::string Read(const fs::path& path) const {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  void Put(const fs::path& path, const std::string& content) const {
    std::ofstream(path, std::ios::binary) << content;
  }
  // The names in the folder, so that a left-over temporary shows.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  Text PathOf(std::string_view utf8Name) const { return Gbk((folder_ / utf8Name).string()); }

  fs::path folder_;
};

using WriteWholeFileTest = Folder;

TEST_F(WriteWholeFileTest, WritesEveryByteUnderTheGbkNameAndReplacesAnOldFile) {
  const Bytes bytes = {0x00, 0xFF, 'a', 0x0D, 0x0A, 0x00, 0x80};
  ASSERT_TRUE(WriteWholeFile(PathOf("歌 名.m4a"), bytes));
  EXPECT_EQ(Read(folder_ / "歌 名.m4a"), std::string("\0\xFF"
                                                     "a\r\n\0\x80",
                                                     7));

  Put(folder_ / "old.m4a", "a longer old content");
  ASSERT_TRUE(WriteWholeFile(PathOf("old.m4a"), TextToBytes("new")));
  EXPECT_EQ(Read(folder_ / "old.m4a"), "new");

  ASSERT_TRUE(WriteWholeFile(PathOf("old.m4a"), {}));
  EXPECT_EQ(Read(folder_ / "old.m4a"), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"old.m4a", "歌 名.m4a"}));
}

TEST_F(WriteWholeFileTest, RefusesPathsItCannotWrite) {
  EXPECT_FALSE(WriteWholeFile("", TextToBytes("x")));
  EXPECT_FALSE(WriteWholeFile(PathOf("missing folder/a.m4a"), TextToBytes("x")));
  EXPECT_FALSE(WriteWholeFile(PathOf(""), TextToBytes("x")));  // names the folder itself
  EXPECT_FALSE(WriteWholeFile("/proc/singrove-test.m4a", TextToBytes("x")));

  fs::create_directory(folder_ / "a folder.m4a");
  EXPECT_FALSE(WriteWholeFile(PathOf("a folder.m4a"), TextToBytes("x")));
  EXPECT_TRUE(fs::is_directory(folder_ / "a folder.m4a"));
  EXPECT_EQ(Names(), std::vector<std::string>{"a folder.m4a"});
}

TEST_F(WriteWholeFileTest, AFolderWithoutWriteAccessKeepsItsFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
  Put(folder_ / "song.m4a", "old");
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteWholeFile(PathOf("song.m4a"), TextToBytes("new")));
  fs::permissions(folder_, fs::perms::owner_all);
  EXPECT_EQ(Read(folder_ / "song.m4a"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

TEST_F(WriteWholeFileTest, AWriteThatStopsHalfWayKeepsTheOldFileAndLeavesNoTemporary) {
  Put(folder_ / "song.m4a", "old");
  // The file size limit makes the write fail after the first bytes, for root too.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool written = WriteWholeFile(PathOf("song.m4a"), Bytes(4096, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(Read(folder_ / "song.m4a"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

TEST_F(WriteWholeFileTest, ALargeFileLetsTheWindowHandleEventsWhileTheOldFileStays) {
  Put(folder_ / "song.m4a", "old");
  Bytes bytes(std::size_t{9} << 20);  // more than two pieces of 4 MiB
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    bytes[k] = static_cast<unsigned char>(k * 131 + (k >> 12));
  }
  std::vector<std::string> seen;  // the target's content each time the window got its events
  InstallEventHook([&] { seen.push_back(Read(folder_ / "song.m4a")); });
  const bool written = WriteWholeFile(PathOf("song.m4a"), bytes);
  InstallEventHook({});

  ASSERT_TRUE(written);
  EXPECT_GE(seen.size(), 2u);
  for (const std::string& content : seen) EXPECT_EQ(content, "old");
  EXPECT_TRUE(Read(folder_ / "song.m4a") == std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

using ReplacementFileTest = Folder;

TEST_F(ReplacementFileTest, TheTargetChangesOnlyAtCommit) {
  Put(folder_ / "song.m4a", "old");
  ASSERT_EQ(::chmod((folder_ / "song.m4a").c_str(), 0640), 0);
  {
    ReplacementFile file;
    ASSERT_TRUE(file.Open(PathOf("song.m4a")));
    const std::string first = "new ", second(std::size_t{5} << 20, 'z');  // crosses a piece
    ASSERT_TRUE(file.Append(reinterpret_cast<const unsigned char*>(first.data()), first.size()));
    ASSERT_TRUE(file.Append(reinterpret_cast<const unsigned char*>(second.data()), second.size()));
    EXPECT_EQ(Read(folder_ / "song.m4a"), "old");
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(file.Append(reinterpret_cast<const unsigned char*>("x"), 1));
    EXPECT_FALSE(file.Commit());
    EXPECT_TRUE(Read(folder_ / "song.m4a") == first + second);
  }
  EXPECT_TRUE(Read(folder_ / "song.m4a").starts_with("new zzz"));  // destroying it keeps it
  EXPECT_EQ(fs::status(folder_ / "song.m4a").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

TEST_F(ReplacementFileTest, AnUncommittedFileLeavesTheOldOneAndNoTemporary) {
  Put(folder_ / "song.m4a", "old");
  {
    ReplacementFile file;
    ASSERT_TRUE(file.Open(PathOf("song.m4a")));
    ASSERT_TRUE(file.Append(reinterpret_cast<const unsigned char*>("half"), 4));
    EXPECT_EQ(Names().size(), 2u);  // the temporary sits beside the target
  }
  EXPECT_EQ(Read(folder_ / "song.m4a"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});

  ReplacementFile unopened;
  EXPECT_FALSE(unopened.Append(reinterpret_cast<const unsigned char*>("x"), 1));
  EXPECT_FALSE(unopened.Commit());
  ReplacementFile nowhere;
  EXPECT_FALSE(nowhere.Open(PathOf("missing folder/a.m4a")));
  EXPECT_FALSE(nowhere.Commit());
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

TEST_F(ReplacementFileTest, AFailedAppendCannotBeCommitted) {
  Put(folder_ / "song.m4a", "old");
  ReplacementFile file;
  ASSERT_TRUE(file.Open(PathOf("song.m4a")));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const std::string bytes(4096, 'x');
  const bool appended =
      file.Append(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(appended);
  EXPECT_FALSE(file.Append(reinterpret_cast<const unsigned char*>("x"), 1));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Read(folder_ / "song.m4a"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"song.m4a"});
}

// Points HOME and XDG_CONFIG_HOME into the test's folder and restores them afterwards.
class DesktopFolderTest : public Folder {
 protected:
  void SetUp() override {
    Folder::SetUp();
    Save("HOME", savedHome_);
    Save("XDG_CONFIG_HOME", savedConfig_);
    ::setenv("HOME", (folder_ / "home").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    fs::create_directories(folder_ / "home" / ".config");
  }
  void TearDown() override {
    Restore("HOME", savedHome_);
    Restore("XDG_CONFIG_HOME", savedConfig_);
    Folder::TearDown();
  }
  void WriteUserDirs(const fs::path& configHome, const std::string& content) {
    fs::create_directories(configHome);
    Put(configHome / "user-dirs.dirs", content);
  }

 private:
  static void Save(const char* name, std::optional<std::string>& saved) {
    if (const char* value = std::getenv(name)) saved = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& saved) {
    if (saved) {
      ::setenv(name, saved->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::optional<std::string> savedHome_;
  std::optional<std::string> savedConfig_;
};

TEST_F(DesktopFolderTest, FollowsTheXdgDesktopDirectory) {
  const fs::path home = folder_ / "home";
  EXPECT_EQ(DesktopFolder(), "");  // nothing to be found

  fs::create_directory(home / "Desktop");
  EXPECT_EQ(DesktopFolder(), Gbk((home / "Desktop").string() + "/"));

  fs::create_directory(home / "桌面");
  WriteUserDirs(home / ".config",
                "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
  EXPECT_EQ(DesktopFolder(), Gbk((home / "桌面").string() + "/"));

  fs::create_directory(folder_ / "elsewhere");
  WriteUserDirs(folder_ / "config",
                "XDG_DESKTOP_DIR=\"" + (folder_ / "elsewhere").string() + "/\"\n");
  ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
  EXPECT_EQ(DesktopFolder(), Gbk((folder_ / "elsewhere").string() + "/"));

  // A named folder that does not exist falls back to ~/Desktop.
  WriteUserDirs(folder_ / "config", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  EXPECT_EQ(DesktopFolder(), Gbk((home / "Desktop").string() + "/"));
}

}  // namespace
}  // namespace singrove
