#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"
#include "text/Text.h"

namespace singrove {

// A stand-in for the service on a free loopback port: it answers each request target (path and
// query, exactly as sent) with what the test put there, 404 otherwise, and records the targets.
class FakeService {
 public:
  struct Answer {
    int status = 200;
    std::string body;
  };

  FakeService();
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  // "127.0.0.1:port".
  std::string Host() const;
  // "http://127.0.0.1:port" + target.
  std::string Address(const std::string& target) const;

  void Put(const std::string& target, Answer answer);
  // The targets requested so far, in order.
  std::vector<std::string> Requests() const;
  void ClearRequests();

  // The pages of one user: a profile announcing worksCount (absent: no works marker) and list
  // pages of fifteen items ("Song k", share id "<uid>-k", k comments, 10*k plays) holding items.
  void PutUser(const std::string& uid, const Text& title, int worksCount, int items);
  // A song page for shareId with the given title and play address.
  void PutSong(const std::string& shareId, const Text& title, const std::string& playUrl);

  // The list page target of a user.
  static std::string ListTarget(int page, const std::string& uid);

 private:
  void Respond(const test::RecordedRequest& request, test::Connection& connection);

  mutable std::mutex mutex_;
  std::map<std::string, Answer> answers_;
  std::size_t requestsCleared_ = 0;  // requests of the server that ClearRequests dropped
  test::LoopbackServer server_;      // last: it stops before the answers go
};

}  // namespace singrove
