// Stands in for a web browser: appends the time, the program file that ran,
// the arguments its own CommandLineToArgvW finds (as a browser parses them)
// and the exact command line it was started with to the file named by
// PLINOR_RECORDER_LOG, then exits. One record per line, separated by tabs:
// the performance counter in microseconds (the same clock in every process),
// the program's path, the number of arguments, each argument, and last the
// command line.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Arguments() {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::string text = std::to_string(arguments ? count : 0);
  for (int i = 0; arguments && i < count; ++i) {
    char argument[4096] = {};
    ::WideCharToMultiByte(CP_ACP, 0, arguments[i], -1, argument, sizeof argument - 1,
                          nullptr, nullptr);
    text += std::string("\t") + argument;
  }
  ::LocalFree(arguments);
  return text;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableA("PLINOR_RECORDER_LOG", log, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&counter);
  ::QueryPerformanceFrequency(&frequency);
  const long long microseconds = static_cast<long long>(
      static_cast<double>(counter.QuadPart) * 1e6 /
      static_cast<double>(frequency.QuadPart));
  char program[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string record = std::to_string(microseconds) + "\t" + program + "\t" +
                             Arguments() + "\t" + ::GetCommandLineA() + "\n";
  // One writer at a time: two appending writers could both write at what
  // each took for the end. Others wait for their turn, up to 20 seconds.
  for (int attempt = 0; attempt < 4000; ++attempt) {
    HANDLE file = ::CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()),
                  &written, nullptr);
      ::CloseHandle(file);
      return 0;
    }
    ::Sleep(5);
  }
  return 1;
}
