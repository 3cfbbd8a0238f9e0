// Whole-program timings under Wine, each beside its floor, measured in the
// same run:
//   start  the time from starting a program to its dialog being visible:
//          PlinorLauncher.exe (its list filled from the history) beside
//          empty_dialog.exe, the same template and manifest with no logic;
//   launch the time from pressing Launch to the browser's process start,
//          beside a bare CreateProcessA of the same program.
// It prints medians of repeated runs and the launcher's peak memory.
//   startup_bench start FOLDER LINES RUNS
//   startup_bench launch FOLDER BROWSER RUNS
// FOLDER is the installation folder the registry names (with host.cfg);
// the recorder stands in for the browser and logs its start time.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/resource.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

std::string Here() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Started {
  PROCESS_INFORMATION process{};
  HWND dialog = nullptr;
  double milliseconds = 0;
};

// Starts `exe` and waits, polling every millisecond, for its visible dialog.
Started StartAndWait(const std::string& exe, const std::string& caption,
                     const std::string& directory) {
  Started started;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + exe + "\"";
  const double begin = Now();
  if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        0, nullptr, directory.c_str(), &startup, &started.process)) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    std::exit(1);
  }
  for (;;) {
    HWND window = ::FindWindowA("#32770", caption.c_str());
    DWORD owner = 0;
    if (window) ::GetWindowThreadProcessId(window, &owner);
    if (window && owner == started.process.dwProcessId && ::IsWindowVisible(window)) {
      started.dialog = window;
      break;
    }
    if (Now() - begin > 120000) {
      std::fprintf(stderr, "%s showed no dialog\n", exe.c_str());
      std::exit(1);
    }
    ::Sleep(1);
  }
  started.milliseconds = Now() - begin;
  return started;
}

void Close(Started& started) {
  ::PostMessageA(started.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  if (::WaitForSingleObject(started.process.hProcess, 30000) != WAIT_OBJECT_0)
    ::TerminateProcess(started.process.hProcess, 1);
  ::CloseHandle(started.process.hThread);
  ::CloseHandle(started.process.hProcess);
}

int StartBenchmark(const std::string& folder, long lines, int runs) {
  std::vector<double> launcher;
  std::vector<double> floor;
  SIZE_T peak = 0;
  for (int run = 0; run < runs; ++run) {
    // Alternate the two, so that both meet the same conditions.
    Started empty = StartAndWait(Here() + "empty_dialog.exe", "Plinor Launcher", folder);
    floor.push_back(empty.milliseconds);
    Close(empty);
    Started started = StartAndWait(Here() + "PlinorLauncher.exe", "Plinor Launcher", folder);
    launcher.push_back(started.milliseconds);
    const LRESULT count = ::SendMessageW(::GetDlgItem(started.dialog, IDC_ADDRESS), CB_GETCOUNT, 0, 0);
    if (count != (lines ? lines : 1)) {
      std::fprintf(stderr, "the list holds %ld entries, expected %ld\n",
                   static_cast<long>(count), lines);
      return 1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    if (::GetProcessMemoryInfo(started.process.hProcess, &memory, sizeof memory))
      peak = std::max(peak, memory.PeakWorkingSetSize);
    Close(started);
    // An empty history is seeded by every start; keep it empty.
    if (lines == 0) ::DeleteFileA((folder + "host.cfg").c_str());
  }
  const double ours = Median(launcher);
  const double base = Median(floor);
  std::printf("start  lines=%-7ld launcher %8.1f ms  no-logic dialog %8.1f ms  ratio %.2f  "
              "peak working set %.1f MB  (medians of %d)\n",
              lines, ours, base, ours / base, static_cast<double>(peak) / 1048576.0, runs);
  return 0;
}

// The recorder's log: one "microseconds<TAB>command line" per start.
std::vector<double> LoggedStarts(const std::string& log) {
  std::vector<double> starts;
  std::FILE* file = std::fopen(log.c_str(), "rb");
  if (!file) return starts;
  char line[4096];
  while (std::fgets(line, sizeof line, file))
    starts.push_back(std::strtod(line, nullptr) / 1000.0);
  std::fclose(file);
  return starts;
}

double WaitForLoggedStart(const std::string& log, std::size_t count,
                          Started& launcher) {
  const double begin = Now();
  std::vector<double> starts;
  while ((starts = LoggedStarts(log)).size() < count) {
    if (Now() - begin > 60000) {
      std::fprintf(stderr, "the browser did not start\n");
      ::TerminateProcess(launcher.process.hProcess, 1);
      std::exit(1);
    }
    ::Sleep(1);
  }
  return starts.back();
}

int LaunchBenchmark(const std::string& folder, const std::string& browser,
                    int runs) {
  const std::string log = folder + "recorder.log";
  ::DeleteFileA(log.c_str());
  ::SetEnvironmentVariableA("PLINOR_RECORDER_LOG", log.c_str());
  Started launcher = StartAndWait(Here() + "PlinorLauncher.exe", "Plinor Launcher", folder);
  HWND address = ::GetDlgItem(launcher.dialog, IDC_ADDRESS);
  ::SendMessageA(address, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("10.0.0.1"));

  std::vector<double> launch;
  std::vector<double> bare;
  std::size_t logged = 0;
  for (int run = 0; run < runs; ++run) {
    double begin = Now();
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(launcher.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(launcher.dialog, IDOK)),
                          SMTO_NORMAL, 60000, &result);
    launch.push_back(WaitForLoggedStart(log, ++logged, launcher) - begin);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + browser + "\" file:///x?ROUTER=10.0.0.1";
    begin = Now();
    ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                     CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    bare.push_back(WaitForLoggedStart(log, ++logged, launcher) - begin);
  }
  Close(launcher);
  const double ours = Median(launch);
  const double base = Median(bare);
  std::printf("launch launcher %8.1f ms  bare CreateProcessA %8.1f ms  ratio %.2f  (medians of %d)\n",
              ours, base, ours / base, runs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "start")
    return StartBenchmark(argv[2], std::atol(argv[3]), std::atoi(argv[4]));
  if (argc == 5 && std::string(argv[1]) == "launch")
    return LaunchBenchmark(argv[2], argv[3], std::atoi(argv[4]));
  std::fprintf(stderr,
               "usage: startup_bench start FOLDER LINES RUNS | launch FOLDER BROWSER RUNS\n");
  return 2;
}
