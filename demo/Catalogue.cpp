#include "demo/Catalogue.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace singrove::demo {
namespace {

constexpr std::array kUsers = {
    DemoUser{.uid = "10000", .name = "安静的听众", .worksCount = 0},
    DemoUser{.uid = "10002", .name = "测试专用", .worksCount = 2},
    DemoUser{.uid = "10015", .name = "十五首", .worksCount = 15},
    DemoUser{.uid = "10016", .name = "十六首", .worksCount = 16},
    DemoUser{.uid = "10037", .name = "林小满", .worksCount = 37},
    DemoUser{.uid = "13000", .name = "三千首", .worksCount = 3000},
};

// User 10037 shows the titles that are hard to read or to save: Chinese, double quotes (escaped
// in the list), full-width forms, an ideographic space, and a '/' that no file name may hold.
constexpr std::array<std::string_view, 37> kVariedTitles = {
    "晚风",
    "城南旧事",
    "Say \"Hello\" 你好",
    "Ｓｉｎｇ！（现场版）",
    "AC/DC 致敬",
    "春日　序曲",
    "你好，世界",
    "【翻唱】海边的风",
    "歌名《青春》",
    "100% 心动",
    "Don't Stop",
    "～小夜曲～",
    "月光下的小河",
    "星河里的灯",
    "追光的人",
    "Moonlight 月光",
    "小镇故事（Live）",
    "一二三四五六七八九十",
    "雨后",
    "山那边",
    "童年的纸飞机",
    "夏夜微凉",
    "回家的路",
    "蓝色信笺",
    "旧时光",
    "北方的雪",
    "灯火阑珊",
    "慢慢喜欢你的日子",
    "风吹麦浪",
    "秋天的第一封信",
    "远方",
    "晴天娃娃",
    "海上明月",
    "梦里水乡的桥",
    "再见，夏天",
    "白鸽",
    "最后一首",
};

constexpr std::array<std::string_view, 12> kCommonTitles = {
    "晚风", "城南旧事", "雨后",     "山那边",   "旧时光",   "远方",
    "白鸽", "回家的路", "夏夜微凉", "北方的雪", "海上明月", "风吹麦浪",
};

constexpr std::array<std::string_view, 2> kTestTitles = {"大文件（256 MiB）", "音频已删除"};

std::string ShareIdOf(std::string_view uid, int k) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", k);
  return "u" + std::string(uid) + "w" + number;
}

std::string TitleOf(const DemoUser& user, int k) {
  const auto index = static_cast<std::size_t>(k - 1);
  if (user.uid == "10037") return std::string(kVariedTitles[index]);
  if (user.uid == "10002") return std::string(kTestTitles[index]);
  return std::string(kCommonTitles[index % kCommonTitles.size()]) + " #" + std::to_string(k);
}

int UidNumber(const DemoUser& user) {
  int number = 0;
  std::from_chars(user.uid.data(), user.uid.data() + user.uid.size(), number);
  return number;
}

}  // namespace

std::span<const DemoUser> DemoUsers() {
  return kUsers;
}

const DemoUser* FindDemoUser(std::string_view uid) {
  const auto found = std::ranges::find(kUsers, uid, &DemoUser::uid);
  return found == kUsers.end() ? nullptr : &*found;
}

DemoWork WorkOf(const DemoUser& user, int k) {
  DemoWork work{
      .title = TitleOf(user, k),
      .shareId = ShareIdOf(user.uid, k),
      .commentCount = (k * 37 + UidNumber(user)) % 100,
      .playCount = 100 + (k * 7919 + UidNumber(user)) % 90000,
  };
  if (work.shareId == kLargeAudioShareId) work.audio = AudioKind::kLarge;
  if (work.shareId == kMissingAudioShareId) work.audio = AudioKind::kMissing;
  return work;
}

std::optional<DemoWork> FindWork(std::string_view shareId) {
  // A share id is "u" + uid + "w" + the work's number, at least four digits.
  const std::size_t w = shareId.rfind('w');
  if (!shareId.starts_with('u') || w == std::string_view::npos) return std::nullopt;
  const DemoUser* user = FindDemoUser(shareId.substr(1, w - 1));
  int k = 0;
  const std::string_view digits = shareId.substr(w + 1);
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
  if (user == nullptr || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  if (k < 1 || k > user->worksCount || ShareIdOf(user->uid, k) != shareId) return std::nullopt;
  return WorkOf(*user, k);
}

}  // namespace singrove::demo
