// Any bytes as an address: the checks never crash, and what they accept
// keeps their rules. The first byte chooses the code page.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/address_check.h"
#include "core/narrow_string.h"
#include "require.h"
#include "tests/support/fake_platform.h"

using namespace plinor;
using plinor::testing::Require;

namespace {

bool HasWhiteSpace(const std::string& text) {
  for (char c : text)
    if (IsWhiteSpace(c)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  testing::FakePlatform p;
  p.doubleByte = data[0] & 1;
  const std::string address(reinterpret_cast<const char*>(data + 1), size - 1);

  const int dotted = CheckAddressAsIP(p, address);
  Require(dotted == 0 || dotted == 1 || dotted == 2);
  Require((dotted == 2) == (address.find('.') == std::string::npos));
  Require(p.prompts.size() == (dotted == 0 ? 1u : 0u));

  if (dotted == 1) {
    // No white space between the first and last non-blank characters.
    std::string inner = address;
    TrimLeft(inner);
    TrimRight(inner);
    Require(!HasWhiteSpace(inner));
    // Every piece's leading number is 0 to 254, as strtol reads it.
    for (std::size_t start = 0; start <= address.size();) {
      std::size_t dot = address.find('.', start);
      if (dot == std::string::npos) dot = address.size();
      if (dot > start) {
        const std::string piece = address.substr(start, dot - start);
        errno = 0;
        const long value = std::strtol(piece.c_str(), nullptr, 10);
        if (piece.find('\0') == std::string::npos)
          Require(errno == 0 && value >= 0 && value <= 254);
      }
      start = dot + 1;
    }
  }

  testing::FakePlatform q;
  q.doubleByte = p.doubleByte;
  const int host = CheckHostName(q, address);
  Require(host == 0 || host == 1);
  Require(q.prompts.size() == (host == 0 ? 1u : 0u));
  if (host == 1) {
    Require(!address.empty() && address.size() <= 63);
    Require(!HasWhiteSpace(address));
    if (!q.doubleByte) Require(address.find('?') == std::string::npos);
  }
  return 0;
}
