#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/request/RequestObject.h"

namespace singrove::test {

// The response a RecordingRequestObject gives.
struct RecordedResponse {
  Bytes body;
  Text headers;
  int status = 0;
};

// A request object that writes down every call it receives, one line a call, and answers with a
// response set beforehand. Send succeeds unless sendFails is set; after a failed Send the reads
// give nothing, as a real object's do.
class RecordingRequestObject : public RequestObject {
 public:
  explicit RecordingRequestObject(std::vector<std::string>* calls, RecordedResponse response = {},
                                  bool sendFails = false)
      : calls_(calls), response_(std::move(response)), sendFails_(sendFails) {}

  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) override {
    return Record("SetTimeouts(" + std::to_string(resolveMs) + "," + std::to_string(connectMs) +
                  "," + std::to_string(sendMs) + "," + std::to_string(receiveMs) + ")");
  }
  bool SetProxy(int setting, std::string_view proxy) override {
    return Record("SetProxy(" + std::to_string(setting) + "," + std::string(proxy) + ")");
  }
  bool SetCredentials(std::string_view user, std::string_view password, int flags) override {
    return Record("SetCredentials(" + std::string(user) + "," + std::string(password) + "," +
                  std::to_string(flags) + ")");
  }
  bool Open(std::string_view method, std::string_view url, bool async) override {
    return Record("Open(" + std::string(method) + "," + std::string(url) + "," +
                  (async ? "true" : "false") + ")");
  }
  bool SetOption(int index, int value) override {
    return Record("SetOption(" + std::to_string(index) + "," + std::to_string(value) + ")");
  }
  bool SetRequestHeader(std::string_view name, std::string_view value) override {
    Record("SetRequestHeader(" + std::string(name) + "|" + std::string(value) + ")");
    return !name.empty();
  }
  bool Send(const Bytes& body) override {
    return Finish("Send(bytes:" + std::string(body.begin(), body.end()) + ")");
  }
  bool Send(std::string_view body) override {
    return Finish("Send(text:" + std::string(body) + ")");
  }
  const Bytes& ResponseBody() const override { return response_.body; }
  Bytes TakeResponseBody() override {
    Record("TakeResponseBody");
    return std::exchange(response_.body, Bytes());
  }
  Text GetAllResponseHeaders() const override {
    calls_->push_back("GetAllResponseHeaders");
    return response_.headers;
  }
  int Status() const override {
    calls_->push_back("Status");
    return response_.status;
  }

 private:
  bool Record(std::string call) {
    calls_->push_back(std::move(call));
    return true;
  }
  bool Finish(std::string call) {
    Record(std::move(call));
    if (sendFails_) response_ = RecordedResponse{};
    return !sendFails_;
  }

  std::vector<std::string>* calls_;
  RecordedResponse response_;
  bool sendFails_;
};

}  // namespace singrove::test
