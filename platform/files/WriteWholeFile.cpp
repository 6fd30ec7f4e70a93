#include "platform/files/WriteWholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

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

bool WriteAll(int descriptor, const Bytes& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) return false;
    written += static_cast<std::size_t>(result);
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
