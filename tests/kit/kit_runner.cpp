// Runs the launcher's Windows test suites on Windows itself, from the test
// kit's folder, as the test command runs them under Wine: each case in a
// process of its own, with the same time limit, GoogleTest's XML per suite
// and a one-screen summary (results\summary.txt) to send back.
//
// The suites change machine-wide settings and put them back afterwards
// (tests/support/machine_state.h), so by default the runner runs only in a
// Windows Sandbox; a CI runner or virtual machine that is thrown away says
// so with --disposable, and --on-this-pc runs them on any other PC, as an
// administrator.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/machine_state.h"

namespace {

// As the test command gives each case (cmake/wine-run.sh).
constexpr DWORD kCaseLimit = 100000;

struct Suite {
  std::string id;        // names its results
  std::string program;   // in the kit's folder
  std::string prefix;    // as the test command names its cases
  std::string filter;    // empty: every case on its own; else one run of these
  std::string name;      // the one run's name
  UINT codePage = 0;     // the ANSI code page the run needs; 0: any
  std::string settings;  // NAME=VALUE;... for the run
};

// As the test command runs them: the sorted fill once in the program with
// the shipped manifest and once in one without, each in code pages 1252
// and 932.
std::vector<Suite> Suites() {
  std::vector<Suite> suites = {{"unit", "unit_tests.exe", "unit.", "", "", 0, ""},
                               {"platform", "platform_tests.exe", "platform.", "", "", 0, ""}};
  for (const int controls : {5, 6}) {
    for (const UINT codePage : {1252u, 932u}) {
      const std::string c = std::to_string(controls);
      const std::string page = std::to_string(codePage);
      suites.push_back({"sorted-combo-" + c + "-" + page,
                        controls == 6 ? "sorted_combo_cc6_tests.exe" : "sorted_combo_tests.exe",
                        "platform.", "SortedCombo.*",
                        "SortedCombo.CommonControls" + c + ".CodePage" + page, codePage,
                        "PLINOR_EXPECT_ACP=" + page + ";PLINOR_EXPECT_COMMON_CONTROLS=" + c +
                            (codePage == 932 ? ";LC_ALL=ja_JP.UTF-8" : "")});
    }
  }
  suites.push_back({"ui", "ui_tests.exe", "ui.", "", "", 0, ""});
  suites.push_back({"e2e", "e2e_tests.exe", "e2e.", "", "", 0, ""});
  return suites;
}

enum class Result { Passed, Failed, Skipped };

struct Case {
  std::string name;  // as the test command names it
  Result result = Result::Passed;
  std::string message;  // why it failed or was skipped
};

std::string g_kit;      // the kit's folder, ending in a backslash
std::string g_results;  // its results folder, ending in a backslash

std::string ReadText(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

void WriteText(const std::string& path, const std::string& text) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t end; begin < text.size(); begin = end + 1) {
    end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// This process's environment with NAME=VALUE;... set on top, as a block.
std::string Environment(const std::string& settings) {
  std::vector<std::string> entries;
  if (char* block = ::GetEnvironmentStringsA()) {
    for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
    ::FreeEnvironmentStringsA(block);
  }
  std::size_t begin = 0;
  while (begin < settings.size()) {
    std::size_t end = settings.find(';', begin);
    if (end == std::string::npos) end = settings.size();
    const std::string setting = settings.substr(begin, end - begin);
    const std::string name = setting.substr(0, setting.find('=') + 1);
    std::erase_if(entries, [&](const std::string& e) { return _strnicmp(e.c_str(), name.c_str(), name.size()) == 0; });
    entries.push_back(setting);
    begin = end + 1;
  }
  std::string block;
  for (const std::string& entry : entries) block += entry + '\0';
  return block + '\0';
}

// Runs a command line with its output in `output`, in a job that is ended
// with it; its exit code, or nothing when it ran past `limit` ms.
std::optional<DWORD> Run(std::string commandLine, const std::string& settings,
                         const std::string& output, DWORD limit) {
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE file = ::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = file;
  startup.hStdError = file;
  HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION kill{};
  kill.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &kill, sizeof kill);
  std::string environment = Environment(settings);
  PROCESS_INFORMATION process{};
  std::optional<DWORD> code = 255;
  if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                       environment.data(), g_kit.c_str(), &startup, &process)) {
    ::AssignProcessToJobObject(job, process.hProcess);
    ::ResumeThread(process.hThread);
    if (::WaitForSingleObject(process.hProcess, limit) == WAIT_OBJECT_0) {
      DWORD exit = 255;
      ::GetExitCodeProcess(process.hProcess, &exit);
      code = exit;
    } else {
      code.reset();
      ::TerminateJobObject(job, 3);
      ::WaitForSingleObject(process.hProcess, 10000);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(job);  // ends whatever the case left running
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return code;
}

// The cases of a program, as its --gtest_list_tests names them.
std::vector<std::string> ListCases(const Suite& suite) {
  const std::string output = g_results + suite.id + "-list.txt";
  Run("\"" + g_kit + suite.program + "\" --gtest_list_tests", suite.settings, output, 60000);
  std::vector<std::string> cases;
  std::string group;
  for (const std::string& line : Lines(ReadText(output))) {
    const std::string first = line.substr(0, line.find(' ', line.find_first_not_of(' ')));
    if (line.starts_with("  ")) {
      if (!group.empty()) cases.push_back(group + first.substr(first.find_first_not_of(' ')));
    } else {
      group = first.ends_with(".") ? first : "";
    }
  }
  ::DeleteFileA(output.c_str());
  return cases;
}

// The lines of a failed case's output that say why: GoogleTest's failures
// and what follows each, and the watchdog's report.
std::string WhyItFailed(const std::string& output) {
  std::string why;
  int following = 0;
  for (const std::string& line : Lines(output)) {
    if (line.find(": Failure") != std::string::npos || line.find("): error: ") != std::string::npos ||
        line.find("still running after") != std::string::npos)
      following = 4;
    if (following > 0 && why.size() < 1500) {
      why += "    " + line + "\n";
      --following;
    }
  }
  return why;
}

// The XML GoogleTest wrote for a case, without its document element.
std::string SuitesOf(const std::string& xml) {
  const std::size_t begin = xml.find("<testsuite ");
  const std::size_t end = xml.rfind("</testsuite>");
  return begin == std::string::npos || end == std::string::npos ? ""
                                                               : xml.substr(begin, end + 12 - begin) + "\n";
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : c == '"' ? "&quot;" : std::string(1, c);
  return out;
}

// A case the runner itself decided (skipped, or stopped) as GoogleTest's XML.
std::string CaseXml(const Case& c, const char* element) {
  return "<testsuite name=\"" + Escaped(c.name) + "\" tests=\"1\"><testcase name=\"" +
         Escaped(c.name) + "\"><" + element + " message=\"" + Escaped(c.message) +
         "\"/></testcase></testsuite>\n";
}

UINT CodePageFor(const Suite& suite) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string output = g_results + "code-page.txt";
  Run("\"" + std::string(self) + "\" --print-code-page", suite.settings, output, 30000);
  const UINT codePage = static_cast<UINT>(std::atoi(ReadText(output).c_str()));
  ::DeleteFileA(output.c_str());
  return codePage;
}

std::vector<Case> RunSuite(const Suite& suite) {
  std::vector<Case> cases;
  std::string xml;
  std::vector<std::string> filters;
  if (!suite.filter.empty()) {
    filters.push_back(suite.filter);
  } else {
    filters = ListCases(suite);
  }
  const UINT codePage = suite.codePage ? CodePageFor(suite) : 0;
  for (std::size_t i = 0; i < filters.size(); ++i) {
    Case c;
    c.name = suite.prefix + (suite.name.empty() ? filters[i] : suite.name);
    if (suite.codePage && codePage != suite.codePage) {
      c.result = Result::Skipped;
      c.message = "needs the ANSI code page " + std::to_string(suite.codePage) +
                  " (this Windows: " + std::to_string(codePage) + ")";
      xml += CaseXml(c, "skipped");
      cases.push_back(c);
      continue;
    }
    const std::string base = g_results + "output\\" + suite.id + "-" + std::to_string(i);
    std::printf("%s\n", c.name.c_str());
    const std::optional<DWORD> exit =
        Run("\"" + g_kit + suite.program + "\" \"--gtest_filter=" + filters[i] +
                "\" \"--gtest_output=xml:" + base + ".xml\"",
            suite.settings, base + ".txt", kCaseLimit);
    const std::string output = ReadText(base + ".txt");
    if (!exit) {
      c.result = Result::Failed;
      c.message = "ran past " + std::to_string(kCaseLimit / 1000) + " s and was stopped\n" + WhyItFailed(output);
      xml += CaseXml(c, "failure");
    } else {
      if (*exit != 0) {
        c.result = Result::Failed;
        c.message = "exit code " + std::to_string(*exit) + "\n" + WhyItFailed(output);
      } else if (output.find("[  SKIPPED ]") != std::string::npos) {
        c.result = Result::Skipped;
        c.message = "skipped by the test itself";
      }
      xml += SuitesOf(ReadText(base + ".xml"));
    }
    if (c.result == Result::Failed) std::printf("  FAILED: %s", c.message.c_str());
    cases.push_back(c);
  }
  WriteText(g_results + suite.id + ".xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"" + suite.id +
                "\">\n" + xml + "</testsuites>\n");
  return cases;
}

// The Windows this runs on, for the summary.
std::string About(const std::string& where) {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (auto get = reinterpret_cast<RtlGetVersionFunction>(
          reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion"))))
    get(&version);
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  const bool windows64 = sizeof(void*) == 8 || wow64;
  ::SetProcessDPIAware();
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  char text[512];
  std::snprintf(text, sizeof text,
                "Windows %lu.%lu build %lu, %s; the kit's programs are %s\n"
                "screen %d DPI (%d %%); ANSI code page %u, OEM code page %u\n"
                "where: %s\n",
                version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
                windows64 ? "64-bit" : "32-bit", sizeof(void*) == 8 ? "64-bit" : "32-bit", dpi,
                dpi * 100 / 96, ::GetACP(), ::GetOEMCP(), where.c_str());
  std::string about = text;
  using WineVersionFunction = const char*(__cdecl*)();
  if (auto wine = reinterpret_cast<WineVersionFunction>(
          reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_version"))))
    about += std::string("under Wine ") + wine() + ", not Windows\n";
  return about;
}

bool Elevated() {
  HANDLE token = nullptr;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated = ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
                        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                        elevation.TokenIsElevated;
  if (token) ::CloseHandle(token);
  return elevated;
}

bool InWindowsSandbox() {
  char user[256] = {};
  DWORD size = sizeof user;
  return ::GetUserNameA(user, &size) && _stricmp(user, "WDAGUtilityAccount") == 0;
}

constexpr const char* kRefusal =
    "The tests change machine-wide settings while they run (the web browser's\n"
    "registration, the Java and Plinor keys, programs under C:\\Program Files)\n"
    "and put them back afterwards. This is not a Windows Sandbox, so they do\n"
    "not run here unless you say so:\n"
    "  start-sandbox.cmd                runs them in a Windows Sandbox (Windows 10 Pro and later)\n"
    "  run-tests.cmd --disposable       on a CI runner or virtual machine that is thrown away\n"
    "  run-tests.cmd --on-this-pc       on this PC anyway, from an administrator's command prompt\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc > 1 ? argv[1] : "";
  if (option == "--print-code-page") {
    std::printf("%u\n", ::GetACP());
    return 0;
  }
  std::string where;
  if (option.empty() && InWindowsSandbox()) {
    where = "a Windows Sandbox";
  } else if (option == "--disposable") {
    where = "a disposable Windows (--disposable)";
  } else if (option == "--on-this-pc") {
    if (!Elevated()) {
      std::fprintf(stderr, "run-tests: --on-this-pc needs an administrator's command prompt.\n");
      return 2;
    }
    where = "this PC, as an administrator (--on-this-pc)";
  } else {
    std::fprintf(stderr, "run-tests: %s%s", option.empty() ? "" : ("unknown option " + option + "\n").c_str(), kRefusal);
    return 2;
  }

  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  g_kit = self;
  g_kit.resize(g_kit.find_last_of('\\') + 1);
  g_results = g_kit + "results\\";
  ::CreateDirectoryA(g_results.c_str(), nullptr);
  ::CreateDirectoryA((g_results + "output").c_str(), nullptr);

  // Before anything else: what a killed run left saved goes back.
  const bool putBack = plinor::testing::PutBackWhatAKilledRunSaved();
  std::string summary = About(where);
  if (!putBack) summary += "WARNING: what an earlier run saved could not all be put back\n";
  std::printf("%s\n", summary.c_str());

  // --only=ID,ID... after the first option runs those suites (unit, e2e...).
  const std::string only = argc > 2 && std::strncmp(argv[2], "--only=", 7) == 0
                               ? "," + std::string(argv[2] + 7) + ","
                               : "";
  std::vector<Case> cases;
  for (const Suite& suite : Suites()) {
    if (!only.empty() && only.find("," + suite.id + ",") == std::string::npos) continue;
    const std::vector<Case> more = RunSuite(suite);
    cases.insert(cases.end(), more.begin(), more.end());
  }
  int passed = 0, failed = 0, skipped = 0;
  std::string details;
  for (const Case& c : cases) {
    if (c.result == Result::Passed) ++passed;
    if (c.result == Result::Failed) ++failed, details += "FAILED " + c.name + ": " + c.message;
    if (c.result == Result::Skipped) ++skipped, details += "skipped " + c.name + ": " + c.message + "\n";
  }
  char counts[160];
  std::snprintf(counts, sizeof counts, "%zu cases: %d passed, %d failed, %d skipped\n",
                cases.size(), passed, failed, skipped);
  summary += "\n" + details + counts + (failed ? "run-tests: FAILED\n" : "run-tests: passed\n");
  WriteText(g_results + "summary.txt", summary);
  std::printf("\n%s%s%s", details.c_str(), counts, failed ? "run-tests: FAILED\n" : "run-tests: passed\n");
  std::printf("results: %s (summary.txt, one XML file per suite, each case's output)\n", g_results.c_str());
  return failed ? 1 : 0;
}
