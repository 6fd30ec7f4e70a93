#pragma once

#include <cstdio>
#include <cstdlib>

namespace singrove::fuzz {

// Ends the run when a property does not hold; libFuzzer then keeps the input that broke it.
[[noreturn]] inline void FailCheck(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
  std::abort();
}

}  // namespace singrove::fuzz

// Like assert, but also in optimised builds.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::singrove::fuzz::FailCheck(#condition, __FILE__, __LINE__))
