#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// The address of a path on the service's web host: "http://" + host + pathAndQuery. The host is
// the one the build names (SINGROVE_HOST) unless a test has pointed the flows elsewhere.
Text ServiceAddress(std::string_view pathAndQuery);

// For tests only: the host (with an optional port) that ServiceAddress uses from now on; "" goes
// back to the build's host.
void SetServiceHostForTests(std::string_view host);

}  // namespace singrove
