// Any registry values, HTTPS choice and typed address through a whole
// launch: no crash, and an address the launch accepts never adds an argument
// to the browser's command line as CommandLineToArgvW splits it.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/launch.h"
#include "core/texts.h"
#include "fuzz_input.h"
#include "require.h"
#include "tests/support/command_line_split.h"
#include "tests/support/fake_platform.h"

using namespace plinor;
using plinor::testing::Require;

namespace {

struct NoList : AddressList {
  void AddString(const std::string&) override {}
};

// Runs one launch of `address` and returns the real start's command line, or
// nothing when the launch started no browser.
std::optional<std::string> Launch(const std::vector<std::string>& fields,
                                  std::string address) {
  testing::FakePlatform p;
  p.doubleByte = !fields[0].empty() && (fields[0][0] & 1);
  int useHttps = fields[0].size() > 1 ? static_cast<signed char>(fields[0][1]) : 0;
  p.SetValue(kHkeyClassesRoot, "http\\shell\\open\\command", "",
             testing::kRegSz, fields[1]);
  p.SetValue(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path", testing::kRegSz,
             fields[2]);
  p.SetValue(kHkeyLocalMachine,
             "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe",
             "", testing::kRegSz, fields[3]);
  NoList list;
  const LaunchOutcome outcome = RunLaunch(p, address, useHttps, list);
  Require(p.OpenKeyCount() == 0 && p.OpenFileCount() == 0);
  Require(p.pauses.size() <= 1 && p.starts.size() <= 2);
  if (outcome != LaunchOutcome::BrowserStartMade) {
    Require(p.starts.empty());
    return std::nullopt;
  }
  Require(!p.starts.empty() && p.starts.back().commandLine);
  return *p.starts.back().commandLine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> fields = testing::SplitFields(data, size, 5);
  const std::optional<std::string> line = Launch(fields, fields[4]);
  if (!line) return 0;
  // The same launch of a plain host name is the yardstick.
  const std::optional<std::string> plain = Launch(fields, "x");
  Require(plain.has_value());
  Require(testing::CountArguments(*line) == testing::CountArguments(*plain));
  return 0;
}
