// The demo's web browser: shows exactly what it was asked to open, and the
// ROUTER and USEHTTPS values the launcher page would read from it. Every
// start also appends its command line to "launches.log" beside the program,
// one line each, so that the demo can check what the launcher started.
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

void LogStart(const std::string& commandLine) {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string log(path, length);
  log = log.substr(0, log.find_last_of('\\') + 1) + "launches.log";
  HANDLE file = ::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string record = commandLine + "\r\n";
  DWORD written = 0;
  ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string commandLine = ::GetCommandLineA();
  LogStart(commandLine);
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
