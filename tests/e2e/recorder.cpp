// Stands in for a web browser: appends the exact command line it was started
// with, and the time, to the file named by PLINOR_RECORDER_LOG, then exits.
// One record per line: milliseconds since boot, a tab, the command line.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableA("PLINOR_RECORDER_LOG", log, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  const std::string record = std::to_string(::GetTickCount64()) + "\t" +
                             ::GetCommandLineA() + "\n";
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = ::CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()),
                  &written, nullptr);
      ::CloseHandle(file);
      return 0;
    }
    ::Sleep(10);
  }
  return 1;
}
