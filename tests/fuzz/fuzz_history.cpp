// Any file bytes as a history file, loaded and then given any address, with
// any fault injected into either: no crash, the list is the file's lines (up
// to a fault), every failure but an open's is reported once, and no byte
// that was already in the file ever changes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/address_history.h"
#include "core/texts.h"
#include "fuzz_input.h"
#include "require.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_list.h"

using namespace plinor;
using plinor::testing::Require;

namespace {

constexpr const char* kFile = "C:\\P\\host.cfg";

// The file's lines as text mode reads them, written independently of the
// launcher's reader: CR LF and LF end a line; a lone CR stays.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (bytes[i] == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(bytes[i]);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The fault one byte of the input chooses, if any.
testing::FileFaults Fault(unsigned char choice) {
  testing::FileFaults faults;
  switch (choice % 6) {
    case 1: faults.readError = 23; faults.readAt = choice; break;
    case 2: faults.seekError = 25; break;
    case 3: faults.writeError = 112; break;
    case 4: faults.closeError = 1117; break;
    case 5: faults.openError = 32; break;
    default: break;
  }
  return faults;
}

bool IsPrefix(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> fields = testing::SplitFields(data, size, 3);
  const std::string& bytes = fields[1];
  const std::string& address = fields[2];
  const unsigned char appendFault = fields[0].empty() ? 0 : fields[0][0];
  const unsigned char loadFault = fields[0].size() < 2 ? 0 : fields[0][1];

  testing::FakePlatform p;
  p.SetString(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path", "C:\\P\\");
  p.files[kFile] = bytes;

  p.faults[kFile] = Fault(loadFault);
  testing::RecordingList loaded;
  LoadAddressHistory(p, loaded);
  const std::string afterLoad = p.files[kFile];
  const std::vector<std::string> lines =
      bytes.empty() ? std::vector<std::string>{kDefaultDeviceAddress} : Lines(bytes);
  Require(afterLoad == bytes || (bytes.empty() && afterLoad == kDefaultDeviceAddress));
  Require(IsPrefix(loaded.items, lines));
  Require(p.OpenFileCount() == 0 && p.prompts.size() <= 1);
  if (loadFault % 6 == 0 || loadFault % 6 == 2)  // no fault, or a seek: a load never seeks
    Require(loaded.items == lines && p.prompts.empty());
  if (loadFault % 6 == 5) Require(loaded.items.empty() && p.prompts.empty());

  const std::size_t promptsBefore = p.prompts.size();
  p.faults[kFile] = Fault(appendFault);
  testing::RecordingList appended;
  const bool ok = AppendAddressHistory(p, appended, address);
  const std::string& after = p.files[kFile];
  Require(after.compare(0, afterLoad.size(), afterLoad) == 0);
  Require(p.OpenFileCount() == 0);
  if (after.size() > afterLoad.size()) {
    // Only ever a line break and the address, whole.
    std::string expected = "\r\n";
    for (char c : address) {
      if (c == '\n') expected.push_back('\r');
      expected.push_back(c);
    }
    Require(after.substr(afterLoad.size()) == expected);
  }
  Require(p.prompts.size() - promptsBefore == (ok ? 0u : 1u));
  return 0;
}
