// Helpers of the tests that run under Wine (platform, ui and end-to-end):
// waiting for a state, what is on screen, files and registry values.
#pragma once

#include <windows.h>

#include <functional>
#include <source_location>
#include <string>

#include "tests/support/screen.h"

namespace plinor::testing {

// Every wait ends after this, failing: well inside the test runner's limit
// for a whole case, so no wait ends in the runner's silent time-out.
inline constexpr DWORD kWaitTimeout = 20000;

// Polls `done` every 20 ms until it returns true, or until `timeout` ms have
// passed: then it reports, at the caller's line, that `what` did not happen
// and which windows were on screen, and returns false.
bool WaitUntil(const std::function<bool()>& done, const std::string& what,
               DWORD timeout = kWaitTimeout,
               std::source_location caller = std::source_location::current());

// Sends a message to a window, of this process or another, and waits for its
// answer at most kWaitTimeout: a window that does not answer fails the test,
// at the caller's line, with the windows on screen, and gives 0.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
               bool wide = false,
               std::source_location caller = std::source_location::current());

// A window's text, through WM_GETTEXT (which works across processes).
std::string WindowText(HWND window,
                       std::source_location caller = std::source_location::current());

// A test that runs for this long is stopped: it prints its name and the
// windows on screen and ends its process, before the test runner's own
// limit would end it without a word. Every suite that drives windows
// registers it once (RegisterWatchdog in a static initialiser). The longest
// case takes under 4 s where nothing else runs.
inline constexpr DWORD kTestLimit = 45000;
bool RegisterWatchdog();
// A case that needs longer says so at its start; at most 90 s, inside the
// runner's 100 s for a whole program.
void ThisTestMayTake(DWORD milliseconds);

// A file's bytes; "<no file>" when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
// Replaces the file's content with `bytes`, creating it when missing.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Creates the key under HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT when missing
// and sets the value (name null: the default value) to exactly `bytes`.
void SetRegistryValue(HKEY root, const std::string& key, const char* name, DWORD type,
                      const std::string& bytes);
// The same for text, stored with its terminating zero.
void SetRegistryString(HKEY root, const std::string& key, const char* name,
                       const std::string& text);

}  // namespace plinor::testing
