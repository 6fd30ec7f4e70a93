// The main of a fuzz target built without libFuzzer: runs every file of the folders (or the files)
// named on the command line once through LLVMFuzzerTestOneInput, so that a committed corpus
// replays as a test. A property that breaks aborts; no input at all fails too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The files a path names: the path itself, or the regular files of a folder in name order.
std::vector<fs::path> InputFiles(const fs::path& path) {
  std::error_code error;
  if (!fs::is_directory(path, error)) return {path};
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int k = 1; k < argc; ++k) {
    for (const fs::path& file : InputFiles(argv[k])) {
      std::ifstream stream(file, std::ios::binary);
      if (!stream) {
        std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
        return 1;
      }
      const std::vector<char> bytes{std::istreambuf_iterator<char>(stream),
                                    std::istreambuf_iterator<char>()};
      // Copied into a buffer of exactly its size, so that the address sanitizer sees any read past
      // it.
      std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
      LLVMFuzzerTestOneInput(input.data(), input.size());
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return replayed == 0 ? 1 : 0;
}
