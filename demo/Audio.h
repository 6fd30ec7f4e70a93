#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace singrove::demo {

// The audio of ordinary songs: a short tone, AAC in an .m4a file of a few kilobytes.
std::span<const unsigned char> ToneAudio();

// The size of the large audio, made on the fly for download benchmarks.
inline constexpr std::uint64_t kLargeAudioSize = std::uint64_t{256} << 20;

// Writes the large audio's bytes from `offset` on into `out`; the same offset always gives the
// same bytes, so a reader can check any part of a download.
void FillLargeAudio(std::uint64_t offset, std::span<unsigned char> out);

}  // namespace singrove::demo
