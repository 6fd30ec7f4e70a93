#include "platform/files/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "text/Gbk.h"

namespace singrove {
namespace {

// Written bytes are sent on to the disk in pieces of this size.
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

ReplacementFile::~ReplacementFile() {
  Drop();
}

bool ReplacementFile::Open(std::string_view path) {
  if (descriptor_ >= 0 || failed_ || path.empty()) return false;
  std::string target = GbkToUtf8(path);
  if (target.empty() || target.back() == '/') return false;
  const std::size_t slash = target.rfind('/');
  std::string temporary =
      (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
      ".singrove-XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return false;
  descriptor_ = descriptor;
  target_ = std::move(target);
  temporary_ = std::move(temporary);
  return true;
}

bool ReplacementFile::Append(const unsigned char* data, std::size_t size) {
  if (descriptor_ < 0 || failed_) return false;
  if (!WriteRange(descriptor_, data, size)) {
    failed_ = true;
    return false;
  }
  written_ += size;
  while (written_ - passedOn_ >= kPieceBytes) {
    PassOnToDisk(descriptor_, passedOn_, kPieceBytes);
    passedOn_ += kPieceBytes;
  }
  return true;
}

bool ReplacementFile::Commit() {
  if (descriptor_ < 0 || failed_) {
    Drop();
    return false;
  }
  const int descriptor = std::exchange(descriptor_, -1);
  const bool flushed = ::fchmod(descriptor, ModeFor(target_)) == 0 && ::fsync(descriptor) == 0;
  const bool closed = ::close(descriptor) == 0;
  if (!flushed || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ::unlink(temporary_.c_str());
    failed_ = true;
    return false;
  }
  temporary_.clear();
  return true;
}

void ReplacementFile::Drop() {
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  failed_ = true;
}

}  // namespace singrove
