// The demo's web browser: shows exactly what it was asked to open, and the
// ROUTER and USEHTTPS values the launcher page would read from it.
#include <windows.h>

#include <string>

namespace {

// The value after "?NAME=" up to the next '?' or the end, or "(none)".
std::string QueryValue(const std::string& commandLine, const std::string& name) {
  const std::string key = "?" + name + "=";
  std::size_t at = commandLine.find(key);
  if (at == std::string::npos) return "(none)";
  at += key.size();
  std::size_t end = commandLine.find('?', at);
  return commandLine.substr(at, end == std::string::npos ? std::string::npos
                                                           : end - at);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string commandLine = ::GetCommandLineA();
  if (commandLine.find("file:///") == std::string::npos) return 0;  // bare start
  const std::string text =
      "The launcher asked the browser to open:\n\n" + commandLine +
      "\n\nThe Plinor launcher page would manage:\n    ROUTER = " +
      QueryValue(commandLine, "ROUTER") +
      "\n    USEHTTPS = " + QueryValue(commandLine, "USEHTTPS");
  ::MessageBoxA(nullptr, text.c_str(), "Demo browser - Plinor launcher page",
                MB_OK | MB_ICONINFORMATION);
  return 0;
}
