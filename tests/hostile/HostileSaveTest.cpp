// The save through its real flow on the headless toolkit, against audio servers that misbehave and
// folders that refuse the write: a save that cannot be whole reports "保存失败", leaves the old
// file as it was and leaves no temporary file behind.
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "tests/app/FlowFixture.h"
#include "tests/hostile/HostileServers.h"

namespace singrove {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::Handler;
using test::HttpResponse;
using test::LoopbackServer;

const std::string kOldAudio = "OLD AUDIO";

// Sets or clears the immutable flag of a file or folder: not even root may then create, remove
// or replace anything there. Clears it again when it goes.
class Immutable {
 public:
  explicit Immutable(const fs::path& path) : path_(path) { set_ = Change(true); }
  ~Immutable() {
    if (set_) Change(false);
  }
  Immutable(const Immutable&) = delete;
  Immutable& operator=(const Immutable&) = delete;
  // False when the file system or the process's rights do not allow the flag.
  bool Set() const { return set_; }

 private:
  bool Change(bool on) const {
    const int descriptor = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return false;
    int flags = 0;
    bool changed = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (changed) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      changed = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(descriptor);
    return changed;
  }

  fs::path path_;
  bool set_ = false;
};

// The desktop holds an old song.m4a; each save is of one song whose audio the test chooses.
class HostileSaveTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    std::ofstream(Song(), std::ios::binary) << kOldAudio;
  }

  fs::path DesktopPath() const { return home_ / "Desktop"; }
  fs::path Song() const { return DesktopPath() / "song.m4a"; }

  // Resolves a song whose play address is playUrl and answers the save dialog with path.
  void Save(const std::string& playUrl, const fs::path& path) {
    PrepareSave(playUrl, path);
    toolkit_.Click(kResolveButton);
  }
  // Everything but the click: the song page served, the dialog's answer and the address typed.
  void PrepareSave(const std::string& playUrl, const fs::path& path) {
    service_.PutSong("x", "song", playUrl);
    toolkit_.AnswerSaveDialog(
        [path](const SaveDialogRequest&) -> std::optional<Text> { return Gbk(path.string()); });
    toolkit_.SetEditText(kSongAddressBox, service_.Address("/play?s=x"));
  }
  // Saves audio that the service serves whole.
  void SaveGoodAudio(const std::string& audio, const fs::path& path) {
    service_.Put("/audio", {.body = audio});
    Save(service_.Address("/audio"), path);
  }

  Text LastMessage() const {
    return toolkit_.Messages().empty() ? Text("none") : toolkit_.Messages().back();
  }
  static std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // The desktop still holds the old song and nothing else.
  void ExpectOldSongAlone() const {
    EXPECT_EQ(Read(Song()), kOldAudio);
    EXPECT_EQ(Names(DesktopPath()), std::vector<std::string>{"song.m4a"});
  }
};

const Text kSaved = Gbk("保存成功");
const Text kFailed = Gbk("保存失败");

struct AudioCase {
  const char* name;
  Handler server;
  bool saved;  // true: "保存成功" and the file holds body; false: "保存失败", old file kept
  std::string body;
  friend void PrintTo(const AudioCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class HostileAudioTest : public HostileSaveTest, public ::testing::WithParamInterface<AudioCase> {};

TEST_P(HostileAudioTest, OnlyAWholeDownloadReplacesTheSong) {
  LoopbackServer audio(GetParam().server);
  Save(audio.Url("/audio.m4a"), Song());
  if (GetParam().saved) {
    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(Read(Song()), GetParam().body);
    EXPECT_EQ(Names(DesktopPath()), std::vector<std::string>{"song.m4a"});
  } else {
    EXPECT_EQ(LastMessage(), kFailed);
    ExpectOldSongAlone();
  }
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kAudioWithNul = "ftyp\0\0\0\x18M4A \0\x01"s;

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileAudioTest,
    ::testing::Values(
        AudioCase{"CutShortOfItsLength",
                  test::SendThenClose(kOk + "Content-Length: 100\r\n\r\nonly part"), false, ""},
        AudioCase{"ChunksCutShort",
                  test::SendThenClose(kOk + "Transfer-Encoding: chunked\r\n\r\n9\r\nonly part\r\n"),
                  false, ""},
        AudioCase{"HugeLengthThenClosed",
                  test::SendThenClose(kOk + "Content-Length: 99999999999999\r\n\r\nabc"), false,
                  ""},
        AudioCase{"DisputedLength",
                  test::SendThenClose(kOk + "Content-Length: 100\r\nContent-Length: 3\r\n\r\nabc"),
                  false, ""},
        AudioCase{"GarbageStatusLine", test::SendThenClose("SPAM\r\n\r\nabc"), false, ""},
        AudioCase{"RedirectLoop", test::RedirectForever(), false, ""},
        AudioCase{"GzipNobodyAskedFor",
                  test::SendThenClose(HttpResponse(200, "OK", {"Content-Encoding: gzip"},
                                                   "\x1f\x8b\x08\0packed"s)),
                  true, "\x1f\x8b\x08\0packed"s},
        AudioCase{"NulBytes", test::SendThenClose(HttpResponse(200, "OK", {}, kAudioWithNul)), true,
                  kAudioWithNul}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Root writes into any folder whatever its mode bits say, so for root the folder is made
// immutable instead; where even that is not allowed the case is skipped.
TEST_F(HostileSaveTest, AFolderWithoutWriteAccessKeepsItsSong) {
  std::optional<Immutable> immutable;
  if (::geteuid() == 0) {
    immutable.emplace(DesktopPath());
    if (!immutable->Set()) GTEST_SKIP() << "root, and the folder cannot be made immutable here";
  } else {
    fs::permissions(DesktopPath(), fs::perms::owner_read | fs::perms::owner_exec);
  }
  SaveGoodAudio("NEW AUDIO", Song());
  immutable.reset();
  fs::permissions(DesktopPath(), fs::perms::owner_all);

  EXPECT_EQ(LastMessage(), kFailed);
  ExpectOldSongAlone();
}

// The nearest thing on this system to a song another program holds open for writing elsewhere:
// a file that nobody may replace.
TEST_F(HostileSaveTest, ASongThatCannotBeReplacedStaysAsItWas) {
  const Immutable immutable(Song());
  if (!immutable.Set()) GTEST_SKIP() << "the file cannot be made immutable here";
  SaveGoodAudio("NEW AUDIO", Song());
  EXPECT_EQ(LastMessage(), kFailed);
  ExpectOldSongAlone();
}

TEST_F(HostileSaveTest, AFolderReplacedByAFileRefusesTheSave) {
  std::ofstream(DesktopPath() / "Music", std::ios::binary) << "not a folder";
  SaveGoodAudio("NEW AUDIO", DesktopPath() / "Music" / "song.m4a");
  EXPECT_EQ(LastMessage(), kFailed);
  EXPECT_EQ(Read(DesktopPath() / "Music"), "not a folder");
  EXPECT_EQ(Names(DesktopPath()), (std::vector<std::string>{"Music", "song.m4a"}));
  EXPECT_EQ(Read(Song()), kOldAudio);
}

// An open file does not stop a rename here: the new song takes the name, and whoever holds the
// old one open goes on reading the old content, untouched.
TEST_F(HostileSaveTest, ASongHeldOpenIsReplacedWhileTheHolderKeepsTheOldContent) {
  const int holder = ::open(Song().c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  SaveGoodAudio("NEW AUDIO", Song());
  std::string held(64, '\0');
  const ssize_t got = ::pread(holder, held.data(), held.size(), 0);
  ::close(holder);

  EXPECT_EQ(LastMessage(), kSaved);
  EXPECT_EQ(Read(Song()), "NEW AUDIO");
  ASSERT_GE(got, 0);
  held.resize(static_cast<std::size_t>(got));
  EXPECT_EQ(held, kOldAudio);
  EXPECT_EQ(Names(DesktopPath()), std::vector<std::string>{"song.m4a"});
}

// A full disk, as a limit on the size of the files this process may write: the limit is set in a
// child process of its own, which saves and exits 0 when it was told "保存失败". The service
// answers from this process, so the song is put there before the child starts.
TEST_F(HostileSaveTest, AFullDiskKeepsTheOldSongAndLeavesNoTemporary) {
  const std::string audio(1 << 20, 'a');
  service_.Put("/audio", {.body = audio});
  PrepareSave(service_.Address("/audio"), Song());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    toolkit_.Click(kResolveButton);
    ::_exit(LastMessage() == kFailed ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child was not told that the save failed";
  ExpectOldSongAlone();

  // Without the limit the same save succeeds.
  toolkit_.Click(kResolveButton);
  EXPECT_EQ(LastMessage(), kSaved);
  EXPECT_EQ(Read(Song()), audio);
}

}  // namespace
}  // namespace singrove
