// Waiting for a state of the screen, and what is on it: for the tests that
// drive windows and for the demo's helper. Without GoogleTest.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace plinor::testing {

// Polls `done` every 20 ms until it returns true (true), or until `timeout`
// ms have passed (false).
bool PollUntil(const std::function<bool()>& done, DWORD timeout);

// Every visible top-level window, one a line: class, caption, owner, process,
// and whether it answers. Sends nothing, so a hung window cannot stop it.
std::string WindowsOnScreen();

}  // namespace plinor::testing
