#include "core/browser_launch.h"

#include <string_view>
#include <vector>

#include "core/narrow_string.h"
#include "core/prompts.h"
#include "core/registry_lookups.h"
#include "core/texts.h"

namespace plinor {

namespace {

constexpr std::uint32_t kFirefoxPause = 3700;

// The program an absolute, unquoted browser path names when a blank or tab
// comes before its end: the path up to and including its first ".EXE" (in
// any letter case) that ends a path component, that is, is followed by a
// blank, a tab or the end. Empty for every other path, which needs no name.
std::string NamedProgram(const CodePage& cp, const std::string& browserPath) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const bool absolute = (browserPath.size() >= 3 && letter(browserPath[0]) &&
                         browserPath[1] == ':' && (browserPath[2] == '\\' || browserPath[2] == '/')) ||
                        browserPath.starts_with("\\\\");
  if (!absolute) return {};
  std::string upper = browserPath;
  MakeUpper(cp, upper);  // keeps every byte's position
  // Each search starts just past a match, which is a character boundary.
  for (std::size_t from = 0;;) {
    const int exe = Find(cp, std::string_view(upper).substr(from), ".EXE");
    if (exe == -1) return {};
    const std::size_t end = from + static_cast<std::size_t>(exe) + 4;
    if (end == upper.size() || upper[end] == ' ' || upper[end] == '\t') {
      if (browserPath.find_first_of(" \t") >= end) return {};
      return browserPath.substr(0, end);
    }
    from = end;
  }
}

// A copy that CreateProcessA may write to.
std::vector<char> Writable(const std::string& text) {
  std::vector<char> writable(text.begin(), text.end());
  writable.push_back('\0');
  return writable;
}

}  // namespace

std::string NormaliseBrowserCommand(const CodePage& cp, std::string command) {
  MakeUpper(cp, command);
  // One byte past ".EXE" is kept: usually the closing quote of a quoted path,
  // or the blank before the first argument.
  int position = Find(cp, command, ".EXE");
  return Left(command, position + 5);
}

BrowserKind ClassifyBrowser(const CodePage& cp, const std::string& normalised) {
  if (Find(cp, normalised, "IEXPLORE.EXE") != -1)
    return BrowserKind::InternetExplorer;
  if (Find(cp, normalised, "NETSCP.EXE") != -1) return BrowserKind::Netscape;
  if (Find(cp, normalised, "FIREFOX.EXE") != -1) return BrowserKind::Firefox;
  return BrowserKind::Other;
}

std::optional<LaunchTarget> ComposeLaunchTarget(Platform& platform,
                                                int useHttps) {
  std::string command = ReadDefaultBrowserCommand(platform);
  const char* https = useHttps == 1 ? "?USEHTTPS=1" : "";
  command = NormaliseBrowserCommand(platform, std::move(command));

  LaunchTarget target;
  target.kind = ClassifyBrowser(platform, command);

  std::string directory = ReadInstallPath(platform);
  if (directory.empty()) {
    const std::string text = platform.LoadStringA(IDS_NOT_INSTALLED);
    platform.AppMessageBox(text.c_str(), kMbOk);
    return std::nullopt;
  }
  Replace(platform, directory, "\\", "/");

  switch (target.kind) {
    case BrowserKind::InternetExplorer:
    case BrowserKind::Other:
      target.browserPath = target.kind == BrowserKind::Other
                               ? ReadInternetExplorerPath(platform)
                               : command;
      target.arguments = " file:///" + directory +
                         "common/common/launcher.html" + https + "?ROUTER=";
      break;
    case BrowserKind::Netscape:
    case BrowserKind::Firefox:
      target.browserPath = command;
      target.arguments = " file:///\"" + directory +
                         "common/common/launcher.html\"" + https + "?ROUTER=";
      break;
  }
  return target;
}

void StartBrowser(Platform& platform, const std::string& browserPath,
                  const std::string& arguments) {
  // An unquoted path with a blank would make CreateProcessA try each piece
  // before the blank as a program of its own ("C:\Program.exe" first), so
  // such a path names its program. With a name, Windows hands the command
  // line to the browser as it is, so the program is quoted there too: the
  // browser's own parse then finds its whole path first.
  const std::string program = NamedProgram(platform, browserPath);
  const std::string quoted = program.empty() ? std::string() : "\"" + program + "\"";
  const std::string commandLine =
      program.empty() ? browserPath + arguments
                      : quoted + browserPath.substr(program.size()) + arguments;

  if (Find(platform, browserPath, "FIREFOX.EXE") != -1 ||
      Find(platform, browserPath, "firefox.exe") != -1) {
    // Started bare first, so that the real start finds the browser running.
    std::vector<char> bare = Writable(quoted);
    const bool started =
        program.empty() ? platform.CreateProcessA(browserPath.c_str(), nullptr, false,
                                                  kCreateDefaultErrorMode) > 0
                        : platform.CreateProcessA(program.c_str(), bare.data(), false,
                                                  kCreateDefaultErrorMode) > 0;
    if (started) platform.Sleep(kFirefoxPause);
  }

  std::vector<char> writable = Writable(commandLine);
  if (platform.CreateProcessA(program.empty() ? nullptr : program.c_str(), writable.data(),
                              false, kCreateDefaultErrorMode) > 0)
    return;
  ReportFailure(platform, IDS_BROWSER_FAILED, commandLine, platform.GetLastError());
}

}  // namespace plinor
