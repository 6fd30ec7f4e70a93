#include "platform/request/RequestObject.h"

#include <utility>

#include "platform/request/CurlRequestObject.h"

namespace singrove {
namespace {

RequestObjectFactory& InstalledFactory() {
  static RequestObjectFactory factory;
  return factory;
}

}  // namespace

std::unique_ptr<RequestObject> CreateRequestObject() {
  if (const auto& factory = InstalledFactory()) return factory();
  return CurlRequestObject::Create();
}

void InstallRequestObjectFactory(RequestObjectFactory factory) {
  InstalledFactory() = std::move(factory);
}

}  // namespace singrove
