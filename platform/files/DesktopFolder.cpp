#include "platform/files/DesktopFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "text/Gbk.h"

namespace singrove {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The desktop path that user-dirs.dirs names, with $HOME expanded; "" when it names none.
std::string XdgDesktopDir(const std::string& home) {
  std::string configHome = Environment("XDG_CONFIG_HOME");
  if (configHome.empty() || configHome.front() != '/') {
    if (home.empty()) return {};
    configHome = home + "/.config";
  }
  std::ifstream file(configHome + "/user-dirs.dirs");
  static constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
  std::string line;
  std::string value;
  while (std::getline(file, line)) {
    if (!line.starts_with(kKey)) continue;
    value = line.substr(kKey.size());
  }
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
  value = value.substr(1, value.size() - 2);
  static constexpr std::string_view kHome = "$HOME";
  if (value.starts_with(kHome)) {
    if (home.empty()) return {};
    return home + value.substr(kHome.size());
  }
  return value.starts_with('/') ? value : std::string();
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace

Text DesktopFolder() {
  const std::string home = Environment("HOME");
  std::string folder = XdgDesktopDir(home);
  if (!IsFolder(folder)) folder = home.empty() ? std::string() : home + "/Desktop";
  if (!IsFolder(folder)) return {};
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.back() != '/') folder.push_back('/');
  Text gbk = Gbk(folder);
  if (GbkToUtf8(gbk) != folder) return {};
  return gbk;
}

}  // namespace singrove
