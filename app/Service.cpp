#include "app/Service.h"

namespace singrove {
namespace {

Text& HostForTests() {
  static Text host;
  return host;
}

}  // namespace

Text ServiceAddress(std::string_view pathAndQuery) {
  static const Text kBuildHost = SINGROVE_HOST;
  const Text& host = HostForTests().empty() ? kBuildHost : HostForTests();
  Text address = "http://" + host;
  address += pathAndQuery;
  return address;
}

void SetServiceHostForTests(std::string_view host) {
  HostForTests() = Text(host);
}

}  // namespace singrove
