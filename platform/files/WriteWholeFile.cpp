#include "platform/files/WriteWholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/events/EventHook.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

// Owns an open file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return descriptor_; }
  // Closes the descriptor; false when closing reported an error.
  bool Close() {
    if (descriptor_ < 0) return true;
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    return result == 0;
  }

 private:
  int descriptor_;
};

// A file is written in pieces of this size, and the window handles its events between them.
constexpr std::size_t kPieceBytes = std::size_t{4} << 20;
// The most pieces on their way to the disk at once.
constexpr std::size_t kPiecesInFlight = 8;

bool WriteRange(int descriptor, const unsigned char* data, std::size_t size) {
  std::size_t written = 0;
  while (written < size) {
    const ssize_t result = ::write(descriptor, data + written, size - written);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) return false;
    written += static_cast<std::size_t>(result);
  }
  return true;
}

// Sends the piece just written on to the disk, and waits until the piece kPiecesInFlight before
// it is there. With little unwritten at any time, the kernel never holds the writer back behind a
// large heap of dirty pages and the closing fsync finds little left to do, so no single step keeps
// the window still for long (one write of a whole 256 MiB file could take a second, and its fsync
// as long again on a busy disk). The final fsync alone decides success.
void PassOnToDisk(int descriptor, std::size_t pieceStart, std::size_t pieceSize) {
#ifdef __linux__
  constexpr std::size_t kWindow = kPieceBytes * kPiecesInFlight;
  ::sync_file_range(descriptor, static_cast<off_t>(pieceStart), static_cast<off_t>(pieceSize),
                    SYNC_FILE_RANGE_WRITE);
  if (pieceStart >= kWindow) {
    ::sync_file_range(descriptor, static_cast<off_t>(pieceStart - kWindow),
                      static_cast<off_t>(kPieceBytes),
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                          SYNC_FILE_RANGE_WAIT_AFTER);
  }
#else
  static_cast<void>(descriptor);
  static_cast<void>(pieceStart);
  static_cast<void>(pieceSize);
#endif
}

bool WriteAll(int descriptor, const Bytes& bytes) {
  for (std::size_t start = 0; start < bytes.size(); start += kPieceBytes) {
    const std::size_t size = std::min(kPieceBytes, bytes.size() - start);
    if (!WriteRange(descriptor, bytes.data() + start, size)) return false;
    PassOnToDisk(descriptor, start, size);
    ProcessPendingEvents();
  }
  return true;
}

// The mode a newly created file gets, or the mode of the file being replaced.
mode_t ModeFor(const std::string& target) {
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    return existing.st_mode & 07777;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool WriteWholeFile(std::string_view path, const Bytes& bytes) {
  if (path.empty()) return false;
  const std::string target = GbkToUtf8(path);
  if (target.empty() || target.back() == '/') return false;
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string temporary = folder + ".singrove-XXXXXX";
  FileDescriptor file(::mkstemp(temporary.data()));
  if (file.Get() < 0) return false;
  const bool complete = WriteAll(file.Get(), bytes) && ::fchmod(file.Get(), ModeFor(target)) == 0 &&
                        ::fsync(file.Get()) == 0 && file.Close();
  if (!complete || ::rename(temporary.c_str(), target.c_str()) != 0) {
    file.Close();
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace singrove
