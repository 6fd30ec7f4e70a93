#include "tests/app/FakeService.h"

#include <algorithm>

#include "text/Gbk.h"

namespace singrove {
namespace {

// The target of a request line "GET /target HTTP/1.1".
std::string TargetOf(const test::RecordedRequest& request) {
  const std::string& line = request.requestLine;
  const auto first = line.find(' ');
  const auto last = line.rfind(' ');
  if (first == std::string::npos || last <= first) return line;
  return line.substr(first + 1, last - first - 1);
}

}  // namespace

FakeService::FakeService()
    : server_([this](const test::RecordedRequest& request, test::Connection& connection) {
        Respond(request, connection);
      }) {}

void FakeService::Respond(const test::RecordedRequest& request, test::Connection& connection) {
  Answer answer{.status = 404, .body = ""};
  {
    std::lock_guard lock(mutex_);
    const auto found = answers_.find(TargetOf(request));
    if (found != answers_.end()) answer = found->second;
  }
  connection.Send(test::HttpResponse(answer.status, answer.status == 200 ? "OK" : "Not OK",
                                     {"Content-Type: text/html"}, answer.body));
}

std::string FakeService::Host() const {
  return "127.0.0.1:" + std::to_string(server_.Port());
}

std::string FakeService::Address(const std::string& target) const {
  return "http://" + Host() + target;
}

void FakeService::Put(const std::string& target, Answer answer) {
  std::lock_guard lock(mutex_);
  answers_[target] = std::move(answer);
}

std::vector<std::string> FakeService::Requests() const {
  std::vector<std::string> targets;
  const std::vector<test::RecordedRequest> requests = server_.Requests();
  std::lock_guard lock(mutex_);
  for (std::size_t k = requestsCleared_; k < requests.size(); ++k) {
    targets.push_back(TargetOf(requests[k]));
  }
  return targets;
}

void FakeService::ClearRequests() {
  const std::size_t count = server_.Requests().size();
  std::lock_guard lock(mutex_);
  requestsCleared_ = count;
}

std::string FakeService::ListTarget(int page, const std::string& uid) {
  return "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=" + std::to_string(page) +
         "&num=15&share_uid=" + uid;
}

void FakeService::PutUser(const std::string& uid, const Text& title, int worksCount, int items) {
  Text profile = "<html>\r\n<head>\t<title>" + title + "</title></head>\r\n<body>";
  if (worksCount >= 0) profile += Gbk("<span id=\"ugc\">作品 ") + std::to_string(worksCount);
  profile += "</span></body></html>";
  Put("/personal?uid=" + uid, {.body = profile});
  for (int page = 1; (page - 1) * 15 < items; ++page) {
    std::string list = "{\"code\": 0, \"data\": {\"ugclist\": [\r\n";
    for (int k = (page - 1) * 15 + 1; k <= std::min(items, page * 15); ++k) {
      const std::string n = std::to_string(k);
      list += "\t{\"title\": \"Song " + n + "\", \"shareid\": \"" + uid + "-" + n +
              "\", \"coment_count\": " + n + ", \"play_count\": " + std::to_string(10 * k) +
              ", \"time\": 1},\r\n";
    }
    list += "]}}";
    Put(ListTarget(page, uid), {.body = list});
  }
}

void FakeService::PutSong(const std::string& shareId, const Text& title,
                          const std::string& playUrl) {
  Put("/play?s=" + shareId,
      {.body = "<html><head><title>" + title + "- Singrove</title></head><script>var d = " +
               "{\"playurl\":\"" + playUrl + "\", \"other\": 1};</script></html>"});
}

}  // namespace singrove
