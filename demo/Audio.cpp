#include "demo/Audio.h"

namespace singrove::demo {
namespace {

// One 64-bit word of the large audio: splitmix64 of the word's index, so the bytes look like
// compressed audio (nothing a transport could shrink) and any word can be made on its own.
std::uint64_t LargeAudioWord(std::uint64_t index) {
  std::uint64_t z = index + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void FillLargeAudio(std::uint64_t offset, std::span<unsigned char> out) {
  std::uint64_t word = LargeAudioWord(offset / 8);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint64_t position = offset + i;
    if (position % 8 == 0) word = LargeAudioWord(position / 8);
    out[i] = static_cast<unsigned char>(word >> (8 * (position % 8)));
  }
}

}  // namespace singrove::demo
