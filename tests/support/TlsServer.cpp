#include "tests/support/TlsServer.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace singrove::test {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

void AddAlternativeName(X509* certificate, std::string_view host) {
  const bool address = host.find_first_not_of("0123456789.") == std::string_view::npos;
  const std::string value = (address ? "IP:" : "DNS:") + std::string(host);
  X509V3_CTX context;
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension =
      X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, value.c_str());
  if (extension == nullptr) throw std::runtime_error("no subject alternative name");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

// A certificate for host, valid from an hour ago for a day, signed by its own key.
Certificate SelfSigned(EVP_PKEY* key, std::string_view host) {
  Certificate certificate(X509_new());
  X509* raw = certificate.get();
  X509_set_version(raw, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(raw), 1);
  X509_gmtime_adj(X509_getm_notBefore(raw), -3600);
  X509_gmtime_adj(X509_getm_notAfter(raw), 86400);
  X509_set_pubkey(raw, key);
  X509_NAME* name = X509_get_subject_name(raw);
  const std::string commonName(host);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_issuer_name(raw, name);
  AddAlternativeName(raw, host);
  if (X509_sign(raw, key, EVP_sha256()) == 0) throw std::runtime_error("certificate not signed");
  return certificate;
}

}  // namespace

struct TlsServer::Running {
  Key key;
  Certificate certificate;
  std::unique_ptr<httplib::SSLServer> server;
  int port = 0;
  std::thread thread;
};

TlsServer::TlsServer(std::string_view certificateHost, std::string body)
    : running_(std::make_unique<Running>()) {
  running_->key.reset(EVP_EC_gen("P-256"));
  if (!running_->key) throw std::runtime_error("no key");
  running_->certificate = SelfSigned(running_->key.get(), certificateHost);
  running_->server =
      std::make_unique<httplib::SSLServer>(running_->certificate.get(), running_->key.get());
  if (!running_->server->is_valid()) throw std::runtime_error("TLS server not valid");
  running_->server->Get(".*", [body](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, "application/octet-stream");
  });
  running_->port = running_->server->bind_to_any_port("127.0.0.1");
  if (running_->port <= 0) throw std::runtime_error("no port");
  running_->thread =
      std::thread([server = running_->server.get()] { server->listen_after_bind(); });
  // stop() does nothing to a server that has not begun to listen, so wait until it has.
  while (!running_->server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TlsServer::~TlsServer() {
  running_->server->stop();
  running_->thread.join();
}

int TlsServer::Port() const {
  return running_->port;
}

std::string TlsServer::Url(std::string_view path) const {
  return "https://127.0.0.1:" + std::to_string(running_->port) + std::string(path);
}

}  // namespace singrove::test
