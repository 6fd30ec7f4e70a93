#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace singrove {

// A file that replaces the file at a path only when committed. The bytes go to a temporary file in
// the target's folder; Commit flushes it to the disk and renames it over the target. A file
// destroyed without a successful Commit removes its temporary and leaves the target as it was.
// It does not hand the window its events: the caller does between its appends.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  ~ReplacementFile();

  // Creates the temporary for the file at path (GBK); false for an empty path, a path naming a
  // folder, or a folder that cannot take the temporary. An object opens once.
  bool Open(std::string_view path);
  // Writes bytes at the end of the temporary; false when they cannot be written, and then every
  // later call fails too.
  bool Append(const unsigned char* data, std::size_t size);
  // Flushes the temporary to the disk and puts it in place of the target, which keeps its mode;
  // false on any failure, and then the temporary is gone and the target untouched.
  bool Commit();

 private:
  void Drop();

  int descriptor_ = -1;
  bool failed_ = false;
  std::string target_;
  std::string temporary_;
  std::size_t written_ = 0;
  std::size_t passedOn_ = 0;  // the bytes already sent on their way to the disk
};

}  // namespace singrove
