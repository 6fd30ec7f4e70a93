#include "platform/http/HttpApi.h"

namespace singrove {
namespace {

thread_local HttpApi* gHttpApiOverride = nullptr;

}  // namespace

HttpApi& CurrentHttpApi() {
  return gHttpApiOverride ? *gHttpApiOverride : CurlHttpApi();
}

ScopedHttpApi::ScopedHttpApi(HttpApi* api) : previous_(gHttpApiOverride) {
  gHttpApiOverride = api;
}

ScopedHttpApi::~ScopedHttpApi() {
  gHttpApiOverride = previous_;
}

}  // namespace singrove
