#pragma once
// Calls that an arriving signal can interrupt are made again until they are not.

#include <cerrno>

namespace tw::platform {

// Calls `call` until it does not fail with EINTR; its last result.
template <typename Call>
auto retryOnInterrupt(Call&& call) {
  for (;;) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

}  // namespace tw::platform
