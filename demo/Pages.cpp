#include "demo/Pages.h"

#include <algorithm>
#include <initializer_list>

#include "demo/Catalogue.h"

namespace singrove::demo {
namespace {

// Lines ended by CRLF and indented by tabs, as the live service writes its pages.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string JsonEscaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The charset is declared at the very top of every page, well inside the first kilobyte where
// readers look for it.
std::string Page(std::string_view title, std::string_view body) {
  return Lines({
             "<!DOCTYPE html>",
             "<html lang=\"zh-CN\">",
             "<head>",
             "\t<meta charset=\"utf-8\">",
             "\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
             "\t<title>" + HtmlEscaped(title) + " - Singrove</title>",
             "\t<link rel=\"stylesheet\" href=\"/static/site.css\">",
             "</head>",
             "<body>",
         }) +
         std::string(body) + Lines({"</body>", "</html>"});
}

std::string RecordingJson(const DemoWork& work) {
  return "\t\t{\"title\": \"" + JsonEscaped(work.title) + "\", \"shareid\": \"" + work.shareId +
         "\", \"coment_count\": " + std::to_string(work.commentCount) +
         ", \"play_count\": " + std::to_string(work.playCount) + ", \"score\": 0}";
}

}  // namespace

std::string ProfilePage(std::string_view uid) {
  const DemoUser* user = FindDemoUser(uid);
  if (user == nullptr) {
    return Page("用户不存在", Lines({"\t<p class=\"empty\">找不到这位用户</p>"}));
  }
  const std::string name = HtmlEscaped(user->name);
  return Page(
      std::string(user->name) + "的主页",
      Lines({
          "\t<div class=\"profile\">",
          "\t\t<h1 class=\"name\">" + name + "</h1>",
          "\t\t<ul class=\"stats\">",
          "\t\t\t<li id=\"ugc\">作品 " + std::to_string(user->worksCount) + "</li>",
          "\t\t\t<li id=\"fans\">粉丝 " + std::to_string(user->worksCount * 3 + 1) + "</li>",
          "\t\t</ul>",
          "\t</div>",
          "\t<div id=\"works\" data-uid=\"" + std::string(user->uid) + "\"></div>",
      }));
}

std::string RecordingsList(std::string_view uid, int page, int perPage) {
  const DemoUser* user = FindDemoUser(uid);
  const int total = user == nullptr ? 0 : user->worksCount;
  const bool valid = page >= 1 && perPage >= 1;
  std::string items;
  if (valid && page <= (total + perPage - 1) / perPage) {
    const int first = (page - 1) * perPage + 1;
    const int last = std::min(total, first + perPage - 1);
    for (int k = first; k <= last; ++k) {
      items += RecordingJson(WorkOf(*user, k));
      items += k < last ? ",\r\n" : "\r\n";
    }
  }
  const bool hasMore = valid && static_cast<long>(page) * perPage < total;
  return "{\"code\": 0, \"data\": {\"has_more\": " + std::to_string(hasMore ? 1 : 0) +
         ", \"total\": " + std::to_string(total) + ", \"ugclist\": [\r\n" + items + "\t]}}\r\n";
}

std::optional<std::string> SongPage(std::string_view shareId, std::string_view baseUrl) {
  const std::optional<DemoWork> work = FindWork(shareId);
  if (!work) return std::nullopt;
  const std::string playUrl = std::string(baseUrl) + "/audio/" + work->shareId + ".m4a";
  const std::string data = "{\"shareid\":\"" + work->shareId + "\",\"song_name\":\"" +
                           JsonEscaped(work->title) + "\",\"playurl\":\"" + playUrl +
                           "\",\"coment_count\":" + std::to_string(work->commentCount) + "}";
  return Page(work->title, Lines({
                               "\t<h1 class=\"song\">" + HtmlEscaped(work->title) + "</h1>",
                               "\t<audio id=\"player\" controls></audio>",
                               "\t<script>",
                               "\t\twindow.__DATA__ = " + data + ";",
                               "\t</script>",
                           }));
}

std::string NotFoundPage() {
  return Page("页面不存在", Lines({"\t<p>页面不存在</p>"}));
}

}  // namespace singrove::demo
