#include "core/browser_launch.h"

#include <gtest/gtest.h>

#include "core/texts.h"
#include "tests/support/command_line_split.h"
#include "tests/support/fake_platform.h"

namespace plinor {
namespace {

using testing::FakePlatform;

constexpr const char* kInstallKey = IDS_INSTALL_KEY_TEXT;
constexpr const char* kBrowserKey = "http\\shell\\open\\command";
constexpr const char* kIeKey =
    "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe";
constexpr const char* kIePath = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

using Args = std::vector<std::string>;

struct ComposeCase {
  const char* name;
  const char* command;  // the registered browser command
  int useHttps;
  BrowserKind kind;
  const char* commandLine;  // the real start's command line for 192.0.2.10
  Args browserArgs;  // what the browser's CommandLineToArgvW finds before the page
  const char* program = nullptr;  // the real start's application name
};

std::ostream& operator<<(std::ostream& out, const ComposeCase& c) {
  return out << c.name;
}

class Compose : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, GivesTheCommandLineOfTheRealStart) {
  const ComposeCase& c = GetParam();
  FakePlatform p;
  p.SetString(kHkeyClassesRoot, kBrowserKey, "", c.command);
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "C:\\Apps\\Plinor\\");
  p.SetString(kHkeyLocalMachine, kIeKey, "", kIePath);

  std::optional<LaunchTarget> target = ComposeLaunchTarget(p, c.useHttps);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->kind, c.kind);
  EXPECT_EQ(target->arguments.front(), ' ');

  StartBrowser(p, target->browserPath, target->arguments + "192.0.2.10");
  ASSERT_FALSE(p.starts.empty());
  EXPECT_EQ(p.starts.back().commandLine, c.commandLine);
  EXPECT_EQ(p.starts.back().applicationName,
            c.program ? std::optional<std::string>(c.program) : std::nullopt);
  // As composed, but for the quotes around a named program.
  const std::string composed = target->browserPath + target->arguments + "192.0.2.10";
  EXPECT_EQ(c.program ? "\"" + std::string(c.program) + "\"" +
                            composed.substr(std::string(c.program).size())
                      : composed,
            c.commandLine);
  // What the browser itself finds: its program, then the page.
  Args args = c.browserArgs;
  args.push_back(std::string("file:///C:/Apps/Plinor/common/common/launcher.html") +
                 (c.useHttps == 1 ? "?USEHTTPS=1" : "") + "?ROUTER=192.0.2.10");
  EXPECT_EQ(testing::SplitCommandLine(c.commandLine), args);
  EXPECT_TRUE(p.prompts.empty());
  EXPECT_EQ(p.OpenKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    BrowserLaunch, Compose,
    ::testing::Values(
        ComposeCase{"QuotedFirefoxWithHttps",
                    "\"C:\\Browsers\\Firefox\\firefox.exe\" -url \"%1\"", 1,
                    BrowserKind::Firefox,
                    "\"C:\\BROWSERS\\FIREFOX\\FIREFOX.EXE\" "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?"
                    "USEHTTPS=1?ROUTER=192.0.2.10",
                    {"C:\\BROWSERS\\FIREFOX\\FIREFOX.EXE"}},
        ComposeCase{"QuotedIeWithoutHttps",
                    "\"C:\\Browsers\\IE\\iexplore.exe\" -nohome", 0,
                    BrowserKind::InternetExplorer,
                    "\"C:\\BROWSERS\\IE\\IEXPLORE.EXE\" "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER="
                    "192.0.2.10",
                    {"C:\\BROWSERS\\IE\\IEXPLORE.EXE"}},
        ComposeCase{"IeWithHttps", "C:\\IE\\IEXPLORE.EXE", 1,
                    BrowserKind::InternetExplorer,
                    "C:\\IE\\IEXPLORE.EXE file:///C:/Apps/Plinor/common/common/"
                    "launcher.html?USEHTTPS=1?ROUTER=192.0.2.10",
                    {"C:\\IE\\IEXPLORE.EXE"}},
        // The cut keeps the blank before the argument: two blanks follow.
        ComposeCase{"UnquotedNetscapeKeepsItsBlank",
                    "C:\\Browsers\\NS\\netscp.exe -url %1", 0,
                    BrowserKind::Netscape,
                    "C:\\BROWSERS\\NS\\NETSCP.EXE  "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?"
                    "ROUTER=192.0.2.10",
                    {"C:\\BROWSERS\\NS\\NETSCP.EXE"}},
        ComposeCase{"NetscapeWithHttps", "c:\\ns\\netscp.exe", 1,
                    BrowserKind::Netscape,
                    "C:\\NS\\NETSCP.EXE "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?"
                    "USEHTTPS=1?ROUTER=192.0.2.10",
                    {"C:\\NS\\NETSCP.EXE"}},
        // Internet Explorer's path as Windows stores it, mixed case, with
        // blanks: named, and quoted for the browser.
        ComposeCase{"FirstExeBelongsToAnotherProgram",
                    "C:\\Tools\\run.exe C:\\Browsers\\IE\\iexplore.exe", 0,
                    BrowserKind::Other,
                    "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER="
                    "192.0.2.10",
                    {kIePath}, kIePath},
        ComposeCase{"EmptyCommandIsOther", "", 1, BrowserKind::Other,
                    "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?"
                    "USEHTTPS=1?ROUTER=192.0.2.10",
                    {kIePath}, kIePath},
        ComposeCase{"CommandWithoutExeIsOther", "opera %1", 0,
                    BrowserKind::Other,
                    "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER="
                    "192.0.2.10",
                    {kIePath}, kIePath},
        // An unquoted path with a blank before its ".EXE" names its program,
        // so that no C:\\Program.exe runs in its place. A quoted, relative or
        // blank-free one needs no name.
        ComposeCase{"UnquotedIeWithBlanksNamesItsProgram",
                    "C:\\Program Files\\Web IE\\iexplore.exe -nohome %1", 0,
                    BrowserKind::InternetExplorer,
                    "\"C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE\"  "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER=192.0.2.10",
                    {"C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE"},
                    "C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE"},
        ComposeCase{"UncFirefoxWithBlanksNamesItsProgram",
                    "\\\\srv\\Web Apps\\firefox.exe", 0, BrowserKind::Firefox,
                    "\"\\\\SRV\\WEB APPS\\FIREFOX.EXE\" "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?ROUTER=192.0.2.10",
                    {"\\\\SRV\\WEB APPS\\FIREFOX.EXE"}, "\\\\SRV\\WEB APPS\\FIREFOX.EXE"},
        ComposeCase{"QuotedPathWithBlanksNeedsNoName",
                    "\"C:\\Program Files\\Web IE\\iexplore.exe\" %1", 0,
                    BrowserKind::InternetExplorer,
                    "\"C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE\" "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER=192.0.2.10",
                    {"C:\\PROGRAM FILES\\WEB IE\\IEXPLORE.EXE"}},
        // Started as it is: the browser finds "WEB" first.
        ComposeCase{"RelativePathWithBlanksNeedsNoName", "Web IE\\iexplore.exe", 0,
                    BrowserKind::InternetExplorer,
                    "WEB IE\\IEXPLORE.EXE "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER=192.0.2.10",
                    {"WEB", "IE\\IEXPLORE.EXE"}},
        // The browser's own name at the start of the command.
        ComposeCase{"FirefoxNameFirst", "firefox.exe -url %1", 0, BrowserKind::Firefox,
                    "FIREFOX.EXE  "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?ROUTER=192.0.2.10",
                    {"FIREFOX.EXE"}},
        ComposeCase{"IeNameFirst", "IEXPLORE.EXE", 0, BrowserKind::InternetExplorer,
                    "IEXPLORE.EXE "
                    "file:///C:/Apps/Plinor/common/common/launcher.html?ROUTER=192.0.2.10",
                    {"IEXPLORE.EXE"}},
        ComposeCase{"NetscapeNameFirst", "netscp.exe", 1, BrowserKind::Netscape,
                    "NETSCP.EXE "
                    "file:///\"C:/Apps/Plinor/common/common/launcher.html\"?USEHTTPS=1?ROUTER="
                    "192.0.2.10",
                    {"NETSCP.EXE"}},
        // Only 1 means HTTPS.
        ComposeCase{"HttpsValueTwoIsNotHttps", "C:\\IE\\iexplore.exe", 2,
                    BrowserKind::InternetExplorer,
                    "C:\\IE\\IEXPLORE.EXE file:///C:/Apps/Plinor/common/common/"
                    "launcher.html?ROUTER=192.0.2.10",
                    {"C:\\IE\\IEXPLORE.EXE"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowserLaunch, NormaliseCutsOneByteAfterTheFirstExe) {
  FakePlatform cp;
  EXPECT_EQ(NormaliseBrowserCommand(cp, "c:\\x\\firefox.exe"),
            "C:\\X\\FIREFOX.EXE");
  EXPECT_EQ(NormaliseBrowserCommand(cp, "c:\\x\\firefox.exe\""),
            "C:\\X\\FIREFOX.EXE\"");
  EXPECT_EQ(NormaliseBrowserCommand(cp, "c:\\x\\firefox.exe -a"),
            "C:\\X\\FIREFOX.EXE ");
  EXPECT_EQ(NormaliseBrowserCommand(cp, "mozilla"), "MOZI");
  EXPECT_EQ(NormaliseBrowserCommand(cp, ""), "");
}

TEST(BrowserLaunch, DoubleByteDirectoryKeepsItsTrailBackslash) {
  FakePlatform p;
  p.doubleByte = true;
  p.SetString(kHkeyClassesRoot, kBrowserKey, "", "C:\\IE\\iexplore.exe");
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "C:\\\x83\x5C\\");
  std::optional<LaunchTarget> target = ComposeLaunchTarget(p, 0);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->arguments,
            " file:///C:/\x83\x5C/common/common/launcher.html?ROUTER=");
}

TEST(BrowserLaunch, NotInstalledShowsMessage109BeforeAnyInternetExplorerLookup) {
  for (const char* command : {"", "C:\\ff\\firefox.exe", "C:\\ie\\iexplore.exe"}) {
    FakePlatform p;
    p.SetString(kHkeyClassesRoot, kBrowserKey, "", command);
    p.SetString(kHkeyLocalMachine, kIeKey, "", kIePath);
    EXPECT_FALSE(ComposeLaunchTarget(p, 1)) << command;
    ASSERT_EQ(p.prompts.size(), 1u) << command;
    EXPECT_EQ(p.prompts[0].text, IDS_NOT_INSTALLED_TEXT);
    EXPECT_TRUE(p.prompts[0].applicationBox);
    EXPECT_EQ(p.prompts[0].type, 0u);  // MB_OK
    for (const auto& open : p.opens) EXPECT_NE(open.subKey, kIeKey) << command;
    EXPECT_TRUE(p.starts.empty());
  }
}

TEST(BrowserLaunch, OtherWithoutInternetExplorerHasAnEmptyPath) {
  FakePlatform p;
  p.SetString(kHkeyLocalMachine, kInstallKey, "Path", "C:\\P\\");
  std::optional<LaunchTarget> target = ComposeLaunchTarget(p, 0);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->browserPath, "");
  EXPECT_EQ(target->arguments, " file:///C:/P/common/common/launcher.html?ROUTER=");
}

TEST(StartBrowser, FirefoxIsPreStartedThenPausedThenStarted) {
  for (const char* path : {"\"C:\\FF\\FIREFOX.EXE\"", "C:\\ff\\firefox.exe "}) {
    FakePlatform p;
    StartBrowser(p, path, " file:///x?ROUTER=1.2.3.4");
    ASSERT_EQ(p.starts.size(), 2u) << path;
    EXPECT_EQ(p.starts[0].applicationName, path);
    EXPECT_FALSE(p.starts[0].commandLine);
    EXPECT_FALSE(p.starts[1].applicationName);
    EXPECT_EQ(p.starts[1].commandLine,
              std::string(path) + " file:///x?ROUTER=1.2.3.4");
    const std::string program = path[0] == '"' ? "C:\\FF\\FIREFOX.EXE" : "C:\\ff\\firefox.exe";
    EXPECT_EQ(testing::SplitCommandLine(*p.starts[1].commandLine),
              (Args{program, "file:///x?ROUTER=1.2.3.4"}));
    for (const auto& start : p.starts) {
      EXPECT_FALSE(start.inheritHandles);
      EXPECT_EQ(start.creationFlags, 0x04000000u);
    }
    EXPECT_EQ(p.events, (std::vector<std::string>{"start", "pause", "start"}));
    EXPECT_EQ(p.pauses, std::vector<std::uint32_t>{3700});
  }
}

// The program ends at the first ".EXE" that ends a path component; a drive
// with a forward slash is absolute too. The browser finds its program whole.
TEST(StartBrowser, AnAbsoluteUnquotedPathWithBlanksNamesItsProgramQuoted) {
  struct Row {
    const char* path;
    const char* program;  // null: no name
    Args browserArgs;     // before the page
  };
  const Row rows[] = {
      {"C:\\Program Files\\Web\\app.exe2\\iexplore.exe",
       "C:\\Program Files\\Web\\app.exe2\\iexplore.exe",
       {"C:\\Program Files\\Web\\app.exe2\\iexplore.exe"}},
      {"C:/Program Files/Internet Explorer/iexplore.exe",
       "C:/Program Files/Internet Explorer/iexplore.exe",
       {"C:/Program Files/Internet Explorer/iexplore.exe"}},
      {"c:\\program files\\ie\\iexplore.exe\t", "c:\\program files\\ie\\iexplore.exe",
       {"c:\\program files\\ie\\iexplore.exe"}},
      {"\\\\srv\\Web Apps\\FIREFOX.EXE ", "\\\\srv\\Web Apps\\FIREFOX.EXE",
       {"\\\\srv\\Web Apps\\FIREFOX.EXE"}},
      // No ".EXE" ends a component, or no blank comes before it: no name.
      {"C:\\Program Files\\IE\\iexplore.exe2", nullptr,
       {"C:\\Program", "Files\\IE\\iexplore.exe2"}},
      {"C:\\Web\\iexplore.exe", nullptr, {"C:\\Web\\iexplore.exe"}},
  };
  for (const Row& row : rows) {
    FakePlatform p;
    StartBrowser(p, row.path, " file:///x?ROUTER=1");
    ASSERT_FALSE(p.starts.empty()) << row.path;
    const std::optional<std::string> program =
        row.program ? std::optional<std::string>(row.program) : std::nullopt;
    EXPECT_EQ(p.starts.back().applicationName, program) << row.path;
    Args args = row.browserArgs;
    args.push_back("file:///x?ROUTER=1");
    EXPECT_EQ(testing::SplitCommandLine(p.starts.back().commandLine.value_or("")), args)
        << row.path;
    if (p.starts.size() == 2) {  // Firefox: the pre-start names it too
      EXPECT_EQ(p.starts[0].applicationName, program);
      EXPECT_EQ(p.starts[0].commandLine, "\"" + *program + "\"");
    }
  }
}

TEST(StartBrowser, FailedPreStartSkipsThePauseSilently) {
  FakePlatform p;
  p.failingStarts = {0};
  StartBrowser(p, "C:\\FF\\FIREFOX.EXE", " a");
  EXPECT_EQ(p.events, (std::vector<std::string>{"start", "start"}));
  EXPECT_TRUE(p.prompts.empty());
}

TEST(StartBrowser, OtherBrowsersAreStartedOnce) {
  FakePlatform p;
  StartBrowser(p, "C:\\IE\\IEXPLORE.EXE", " a");
  // Mixed case names neither of the two Firefox spellings.
  StartBrowser(p, "C:\\Fx\\Firefox.exe", " b");
  // Only the path is looked at, never the typed address.
  StartBrowser(p, "C:\\IE\\IEXPLORE.EXE", " file:///x?ROUTER=FIREFOX.EXE");
  ASSERT_EQ(p.starts.size(), 3u);
  EXPECT_EQ(p.starts[0].commandLine, "C:\\IE\\IEXPLORE.EXE a");
  EXPECT_EQ(p.starts[1].commandLine, "C:\\Fx\\Firefox.exe b");
  EXPECT_EQ(testing::SplitCommandLine(*p.starts[2].commandLine),
            (Args{"C:\\IE\\IEXPLORE.EXE", "file:///x?ROUTER=FIREFOX.EXE"}));
  EXPECT_TRUE(p.pauses.empty());
}

TEST(StartBrowser, FailedRealStartIsReportedWithTheCommandLine) {
  FakePlatform p;
  p.failingStarts = {0};
  p.startError = 2;
  StartBrowser(p, "", " file:///C:/P/common/common/launcher.html?ROUTER=h");
  ASSERT_EQ(p.prompts.size(), 1u);
  EXPECT_EQ(p.prompts[0].caption, "Talvor Plinor ");
  EXPECT_EQ(p.prompts[0].type, 0x40u);
  EXPECT_FALSE(p.prompts[0].applicationBox);
  EXPECT_EQ(p.prompts[0].text,
            "The web browser could not be started.\n\nCommand line:\n"
            " file:///C:/P/common/common/launcher.html?ROUTER=h\n\n"
            "System error 2.");
}

}  // namespace
}  // namespace plinor
