#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace singrove::demo {

// What the audio address of a song answers.
enum class AudioKind { kTone, kLarge, kMissing };

// One recording of a demo user; texts are UTF-8.
struct DemoWork {
  std::string title;
  std::string shareId;
  int commentCount = 0;
  int playCount = 0;
  AudioKind audio = AudioKind::kTone;
};

// A demo user: the id typed into the window, the name on the profile page, the number of works.
struct DemoUser {
  std::string_view uid;
  std::string_view name;
  int worksCount = 0;
};

// The songs of user 10002: one whose audio is 256 MiB, one whose audio answers 404.
inline constexpr std::string_view kLargeAudioShareId = "u10002w0001";
inline constexpr std::string_view kMissingAudioShareId = "u10002w0002";

// Every demo user.
std::span<const DemoUser> DemoUsers();

// The demo user with this id, or null when there is none.
const DemoUser* FindDemoUser(std::string_view uid);

// Work k of a user, counted from 1 up to the user's works count.
DemoWork WorkOf(const DemoUser& user, int k);

// The work that a share id names, or nothing when no demo user has it.
std::optional<DemoWork> FindWork(std::string_view shareId);

}  // namespace singrove::demo
