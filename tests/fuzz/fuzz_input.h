// Splits a fuzzer's input into fields separated by 0xFF bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plinor::testing {

inline std::vector<std::string> SplitFields(const std::uint8_t* data,
                                            std::size_t size,
                                            std::size_t count) {
  std::vector<std::string> fields(count);
  std::size_t field = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && field + 1 < count) {
      ++field;
      continue;
    }
    fields[field].push_back(static_cast<char>(data[i]));
  }
  return fields;
}

}  // namespace plinor::testing
