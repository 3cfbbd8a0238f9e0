// A property every fuzz target checks: when it does not hold, the target
// aborts, and libFuzzer keeps the input that made it fail.
#pragma once

#include <cstdlib>

namespace plinor::testing {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace plinor::testing
