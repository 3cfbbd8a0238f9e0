// A whole PC as the launch reads it, drawn from the input, and one launch on
// it with a scripted answer to every prompt. Whatever the PC holds, the
// launch starts nothing but the browser the registry names, once, besides
// Firefox's bare pre-start; the address is one whole argument of the
// browser's command line, as CommandLineToArgvW splits it; the history file
// only grows, by a line break and the address; every key and file opened is
// closed; and a launch that starts no browser, or whose browser fails to
// start, ends by telling the user.
//
// The input is fields separated by 0xFF bytes (fuzz_input.h):
//   0  choices, one byte each in the order Choices is read below (a byte
//      past the field's end reads as 0, the plainest PC)
//   1  the browser's registered command   2  the installation path
//   3  Internet Explorer's path           4  Java's CurrentVersion
//   5  Java's MicroVersion                6  what a value changes to
//   7  the history file's bytes           8  the address typed
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/launch.h"
#include "core/texts.h"
#include "fuzz_input.h"
#include "require.h"
#include "tests/support/command_line_split.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_list.h"

using namespace plinor;
using plinor::testing::Require;

namespace {

constexpr const char* kJavaKey = "Software\\JavaSoft\\Java Runtime Environment";

// The registry values the launch reads, each in a key of its own.
struct ValueSpot {
  RegHandle root;
  std::string key;
  const char* name;
};

class Choices {
 public:
  explicit Choices(const std::string& bytes) : bytes_(bytes) {}
  unsigned Next() {
    return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

std::string UpToZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Blanks and tabs at the end separate nothing: the splitter drops them
// outside quotes and keeps them inside.
std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// A value as stored: its bytes, repeated to a chosen length where the
// choice says so, and its terminating zero unless the choice leaves it out.
std::string StoredBytes(const std::string& text, unsigned how, unsigned length) {
  std::string bytes = text;
  if (how & 0x80) {
    const std::string unit = text.empty() ? "A" : text;
    bytes.clear();
    while (bytes.size() < length) bytes += unit;
    bytes.resize(length);
  }
  if (!(how & 0x08)) bytes.push_back('\0');
  return bytes;
}

// The program a start runs: the one it names, which its command line must
// give as the first argument too (unless it holds a double quote, which no
// Windows file name does), else the command line up to the launcher page
// that the launch adds after the browser's path.
std::string Program(const testing::ProcessStart& start) {
  if (start.applicationName) {
    const std::string& program = *start.applicationName;
    if (start.commandLine && program.find('"') == std::string::npos)
      Require(testing::SplitCommandLine(*start.commandLine).front() == program);
    return program;
  }
  Require(start.commandLine.has_value());
  return start.commandLine->substr(0, start.commandLine->find(" file:///"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> fields = testing::SplitFields(data, size, 9);
  Choices choice(fields[0]);
  testing::FakePlatform p;

  // Bit 0: the double-byte code page; 1: no history file; 2: no folder for it.
  const unsigned machine = choice.Next();
  p.doubleByte = machine & 1;
  int useHttps = static_cast<signed char>(choice.Next());

  // Each value's key, as the launch names it; Java's version key is named
  // after the CurrentVersion text, as stored.
  std::vector<ValueSpot> spots = {
      {kHkeyClassesRoot, "http\\shell\\open\\command", ""},
      {kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path"},
      {kHkeyLocalMachine, "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe", ""},
      {kHkeyLocalMachine, kJavaKey, "CurrentVersion"},
      {kHkeyLocalMachine, "", "MicroVersion"},
  };
  constexpr std::uint32_t kTypes[] = {testing::kRegSz,    testing::kRegExpandSz,
                                      testing::kRegBinary, testing::kRegDword,
                                      testing::kRegMultiSz, 0 /* REG_NONE */};
  std::string stored[5];
  for (std::size_t i = 0; i < spots.size(); ++i) {
    // Bits 0-1: the key (1 missing, 2 denied); 2: no value; 3: no
    // terminating zero; 4-6: the type; 7: repeated to the next byte's length.
    const unsigned how = choice.Next();
    const unsigned length = choice.Next();
    stored[i] = StoredBytes(fields[1 + i], how, length);
    ValueSpot& spot = spots[i];
    if (i == 4) spot.key = std::string(kJavaKey) + "\\" + UpToZero(stored[3]);
    if ((how & 3) == 1) continue;  // no key
    p.AddKey(spot.root, spot.key);
    if ((how & 3) == 2) p.DenyKey(spot.root, spot.key);
    if (how & 0x04) continue;  // no value
    p.SetValue(spot.root, spot.key, spot.name, kTypes[((how >> 4) & 7) % std::size(kTypes)],
               stored[i]);
  }

  // Another program changes one value, or deletes its key, between two reads.
  const unsigned changeAfter = choice.Next();
  const unsigned change = choice.Next();
  const ValueSpot& changed = spots[(change & 7) % spots.size()];
  unsigned reads = 0;
  p.afterRegQuery = [&] {
    if (++reads != changeAfter) return;
    if (change & 0x08)
      p.DeleteKey(changed.root, changed.key);
    else
      p.SetValue(changed.root, changed.key, changed.name, testing::kRegSz, fields[6]);
  };

  // The history file, where the installation path puts it, and its faults.
  const std::string history = UpToZero(stored[1]) + kHistoryFileName;
  if (!(machine & 2)) p.files[history] = fields[7];
  if (machine & 4) p.missingFolders.insert(history.substr(0, history.find_last_of("\\/")));
  const unsigned fault = choice.Next();
  testing::FileFaults& faults = p.faults[history];
  if (fault & 1) faults.readError = 23;  // ERROR_CRC
  faults.readAt = choice.Next();
  if (fault & 2) faults.seekError = 25;   // ERROR_SEEK
  if (fault & 4) faults.writeError = 112;  // ERROR_DISK_FULL
  if (fault & 8) faults.closeError = 1117;  // ERROR_IO_DEVICE
  constexpr std::uint32_t kOpenErrors[] = {0, kErrorAccessDenied, kErrorSharingViolation, 0};
  faults.openError = kOpenErrors[(fault >> 4) & 3];
  faults.heldOpens = static_cast<int>(choice.Next() % 20);

  const unsigned failing = choice.Next();
  if (failing & 1) p.failingStarts.insert(0);
  if (failing & 2) p.failingStarts.insert(1);
  constexpr int kAnswers[] = {kIdYes, kIdNo, kIdOk, 0 /* the box could not appear */};
  for (int i = 0; i < 2; ++i) p.answers.push_back(kAnswers[choice.Next() % 4]);

  const std::map<std::string, std::string> filesBefore = p.files;
  // Typed text never holds a zero byte: the dialog's edit control ends it there.
  std::string address = UpToZero(fields[8]);
  testing::RecordingList list;
  bool exited = false;
  LaunchOutcome outcome = LaunchOutcome::BrowserStartMade;
  try {
    outcome = RunLaunch(p, address, useHttps, list);
  } catch (const testing::ExitCalled& exit) {
    Require(exit.status == 0);
    exited = true;
  }

  Require(p.OpenKeyCount() == 0 && p.OpenFileCount() == 0 && p.strayCloses == 0);

  // The history only grows, by one line: the address.
  Require(p.files.size() == filesBefore.size());
  for (const auto& [path, before] : filesBefore) {
    const std::string& after = p.files.at(path);
    Require(StartsWith(after, before));
    Require(after.size() == before.size() || after.substr(before.size()) == "\r\n" + address);
  }

  // Nothing but the browser: each start's program begins a registry value
  // that names one, in any letter case (the launch upper-cases the
  // registered command).
  const std::string browsers[] = {Upper(UpToZero(stored[0])), Upper(UpToZero(stored[2])),
                                  Upper(UpToZero(fields[6]))};
  const auto beginsABrowser = [&](const std::string& text) {
    for (const std::string& browser : browsers)
      if (StartsWith(browser, Upper(text))) return true;
    return false;
  };
  for (const testing::ProcessStart& start : p.starts)
    Require(beginsABrowser(Program(start)));
  const bool started = !exited && outcome == LaunchOutcome::BrowserStartMade;
  Require(started ? !p.starts.empty() : p.starts.empty());
  Require(p.starts.size() <= 2);
  if (p.starts.size() == 2) {
    // Firefox's pre-start, for a browser path that names it: the same
    // program, bare.
    const testing::ProcessStart& bare = p.starts[0];
    const testing::ProcessStart& real = p.starts[1];
    Require(bare.applicationName && real.commandLine &&
            Upper(*real.commandLine).find("FIREFOX.EXE") != std::string::npos);
    Require(real.applicationName ? real.applicationName == bare.applicationName
                                 : StartsWith(*real.commandLine, *bare.applicationName + " file:///"));
    Require(!bare.commandLine || bare.applicationName->find('"') != std::string::npos ||
            testing::SplitCommandLine(*bare.commandLine).size() == 1);
  }
  int firefoxPauses = 0;
  for (std::uint32_t pause : p.pauses) {
    if (pause == 3700) ++firefoxPauses;
    else Require(pause == 15);  // the history file held by another opener
  }
  Require(firefoxPauses == (p.starts.size() == 2 && !p.failingStarts.count(0) ? 1 : 0));

  if (started) {
    // The address ends the last argument, whole: nothing of it stands apart.
    // (The last may be the only one, where a broken registered command left
    // the program's quote open.)
    const std::string& line = *p.starts.back().commandLine;
    const std::vector<std::string> arguments = testing::SplitCommandLine(line);
    Require(EndsWith(WithoutTrailingBlanks(arguments.back()),
                     "?ROUTER=" + std::string(WithoutTrailingBlanks(address))));
  }
  const bool startFailed = started && p.failingStarts.count(p.starts.size() - 1);
  if (!exited && (!started || startFailed))
    Require(p.events.back() == "prompt" && (p.prompts.back().type & 0x0F) == kMbOk);
  return 0;
}
