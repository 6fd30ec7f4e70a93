#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace singrove::test {

// An HTTPS server on 127.0.0.1, on a free port, with a self-signed certificate made when it starts.
// It answers every GET with status 200 and the same body.
class TlsServer {
 public:
  // certificateHost is the one name the certificate vouches for: "127.0.0.1" matches the server's
  // address, any other name does not.
  TlsServer(std::string_view certificateHost, std::string body);
  ~TlsServer();
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;

  int Port() const;
  // "https://127.0.0.1:PORT" followed by the path.
  std::string Url(std::string_view path = "/") const;

 private:
  struct Running;
  std::unique_ptr<Running> running_;
};

}  // namespace singrove::test
