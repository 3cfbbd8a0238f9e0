// An address list that keeps what the history gives it, in order: where the
// program fills its combo box, the tests look at a vector.
#pragma once

#include <string>
#include <vector>

#include "core/address_history.h"

namespace plinor::testing {

struct RecordingList : AddressList {
  std::vector<std::string> items;
  void AddString(const std::string& text) override { items.push_back(text); }
};

}  // namespace plinor::testing
