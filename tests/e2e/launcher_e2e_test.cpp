// The real PlinorLauncher.exe, started and driven through its windows under
// Wine, checked by what a user, the history file and the browser can see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/texts.h"
#include "launcher_session.h"
#include "ui/resource.h"
#include "ui/version.h"

namespace e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPage = "common/common/launcher.html";

// A machine with Plinor installed, a suitable Java runtime and Internet
// Explorer (a recorder) as the default browser.
class Launcher : public ::testing::Test {
 protected:
  Launcher() {
    machine.Install();
    machine.SetJava("1.6", "0");
    ie = machine.AddBrowser("browsers\\iexplore.exe");
    machine.SetBrowserCommand("\"" + ie + "\" -nohome");
  }

  // The installation folder as the launcher page's address writes it.
  std::string PageUrl() const {
    std::string folder = machine.folder();
    for (char& c : folder)
      if (c == '\\') c = '/';
    return "file:///" + folder + kPage;
  }

  static std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
  }

  // What the browser's own CommandLineToArgvW found: the program that ran,
  // then the page.
  static void ExpectTheBrowserFound(const BrowserStart& start, const std::string& page) {
    EXPECT_EQ(start.browserArgs.size(), 2u) << start.commandLine;
    if (start.browserArgs.size() != 2) return;
    EXPECT_EQ(Upper(start.browserArgs[0]), Upper(start.program));
    EXPECT_EQ(start.browserArgs[1], page);
  }

  std::string IeCommandLine(const std::string& query) const {
    return "\"" + Upper(ie) + "\" " + PageUrl() + query;
  }

  Machine machine;
  std::string ie;
};

TEST_F(Launcher, FirstStartCreatesTheHistoryWithTheDefaultAddress) {
  ASSERT_FALSE(machine.FileExists(machine.HistoryPath()));
  LauncherSession launcher(machine.folder());
  ASSERT_TRUE(launcher.dialog());
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "192.168.0.1");
  EXPECT_EQ(launcher.ListItems(), Lines{"192.168.0.1"});
  EXPECT_EQ(launcher.AddressText(), "");
  EXPECT_FALSE(launcher.HttpsTicked());
  EXPECT_EQ(WindowText(launcher.dialog()), "Plinor Launcher");

  launcher.PressKey(VK_ESCAPE);
  EXPECT_EQ(launcher.WaitForExit(), 0u);
  EXPECT_TRUE(machine.Starts().empty());
}

TEST_F(Launcher, HistoryIsListedSortedWhileTheFileKeepsItsOrder) {
  WriteFileBytes(machine.HistoryPath(), "zeta\r\n10.0.0.2\r\nAlpha\r\n\r\nzeta");
  LauncherSession launcher(machine.folder());
  EXPECT_EQ(launcher.ListItems(), (Lines{"", "10.0.0.2", "Alpha", "zeta", "zeta"}));
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()),
            "zeta\r\n10.0.0.2\r\nAlpha\r\n\r\nzeta");
}

struct BrowserCase {
  const char* name;
  const char* browser;  // relative to the installation folder
  const char* commandSuffix;  // after the browser's quoted or bare path
  bool quoted;
  bool https;
  std::size_t starts;  // 2: a bare pre-start, then the real start
  const char* expectedHead;  // "{path}" stands for the upper-cased path
  bool quotedPage;
};

std::ostream& operator<<(std::ostream& out, const BrowserCase& c) {
  return out << c.name;
}

class Browsers : public Launcher,
                 public ::testing::WithParamInterface<BrowserCase> {};

TEST_P(Browsers, ANewAddressIsRecordedAndLaunchedWithTheExactCommandLine) {
  const BrowserCase& c = GetParam();
  const std::string path = machine.AddBrowser(c.browser);
  machine.SetBrowserCommand(c.quoted ? "\"" + path + "\"" + c.commandSuffix
                                     : path + c.commandSuffix);
  WriteFileBytes(machine.HistoryPath(), "192.168.0.1");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("  10.20.30.40");
  launcher.SetHttps(c.https);

  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  const std::string pattern = c.expectedHead;
  const std::size_t at = pattern.find("{path}");
  const std::string head =
      pattern.substr(0, at) + Upper(path) + pattern.substr(at + 6);
  const std::string page = c.quotedPage ? "file:///\"" + PageUrl().substr(8) + "\""
                                        : PageUrl();
  const std::string query = std::string(c.https ? "?USEHTTPS=1" : "") +
                            "?ROUTER=10.20.30.40";
  std::vector<BrowserStart> starts = machine.WaitForStarts(c.starts);
  ASSERT_EQ(starts.size(), c.starts);
  EXPECT_EQ(starts.back().commandLine, head + " " + page + query);
  ExpectTheBrowserFound(starts.back(), PageUrl() + query);
  if (c.starts == 2) {
    // Started bare first; the real start follows the 3.7-second pause.
    EXPECT_EQ(starts[0].commandLine.find("file:"), std::string::npos);
    EXPECT_GE(starts[1].tick - starts[0].tick, 3600000u);
  }

  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()),
            "192.168.0.1\r\n10.20.30.40");
  EXPECT_EQ(launcher.ListItems(), (Lines{"10.20.30.40", "192.168.0.1"}));
  // The dialog stays open as the user left it.
  EXPECT_TRUE(launcher.Running());
  EXPECT_EQ(launcher.AddressText(), "  10.20.30.40");
  EXPECT_EQ(launcher.HttpsTicked(), c.https);
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, Browsers,
    ::testing::Values(
        BrowserCase{"InternetExplorer", "browsers\\iexplore.exe", " -nohome",
                    true, false, 1, "\"{path}\"", false},
        BrowserCase{"InternetExplorerHttps", "ie\\IEXPLORE.EXE", "", false,
                    true, 1, "{path}", false},
        // The blank kept by the cut makes two blanks before the page.
        BrowserCase{"NetscapeUnquotedWithArgument", "browsers\\netscp.exe",
                    " -url %1", false, true, 1, "{path} ", true},
        // The pre-start gets the path with its blank as the program name.
        BrowserCase{"FirefoxUnquoted", "browsers\\firefox.exe", " -url %1",
                    false, false, 2, "{path} ", true},
        // A quoted program name cannot be started: no pre-start, no pause.
        BrowserCase{"FirefoxQuoted", "browsers\\FIREFOX.EXE", " -url \"%1\"",
                    true, true, 1, "\"{path}\"", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Windows registers Internet Explorer's path unquoted, with blanks. Programs
// planted at the pieces before each blank must not run in the browser's
// place, and the browser finds its own path whole.
TEST_F(Launcher, AnUnquotedPathWithBlanksStartsTheBrowserNotAPlantedProgram) {
  const std::string explorer = machine.AddBrowserAt("C:\\Program Files\\Web IE\\iexplore.exe");
  machine.AddBrowserAt("C:\\Program.exe");
  machine.AddBrowserAt("C:\\Program Files\\Web.exe");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("router-7");

  // Another browser: replaced by Internet Explorer's path, used as stored.
  machine.SetBrowserCommand("\"" + machine.AddBrowser("browsers\\opera.exe") + "\" %1");
  machine.SetInternetExplorerPath(explorer);
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  ASSERT_EQ(machine.WaitForStarts(1).size(), 1u);
  // Internet Explorer registered without quotes: upper-cased, cut after the
  // blank that follows ".EXE".
  machine.SetBrowserCommand(explorer + " -nohome %1");
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});

  const std::vector<BrowserStart> starts = machine.WaitForStarts(2);
  ASSERT_EQ(starts.size(), 2u);
  for (const BrowserStart& start : starts) {
    EXPECT_EQ(Upper(start.program), Upper(explorer));
    ExpectTheBrowserFound(start, PageUrl() + "?ROUTER=router-7");
  }
  // Named, and quoted for the browser; the rest as composed.
  EXPECT_EQ(starts[0].commandLine, "\"" + explorer + "\" " + PageUrl() + "?ROUTER=router-7");
  EXPECT_EQ(starts[1].commandLine,
            "\"" + Upper(explorer) + "\"  " + PageUrl() + "?ROUTER=router-7");
}

TEST_F(Launcher, AnAddressTheHistoryHoldsIsLaunchedWithoutBeingRecorded) {
  WriteFileBytes(machine.HistoryPath(), "10.0.0.1\r\nrouter");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("router");
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  ASSERT_EQ(machine.WaitForStarts(1).size(), 1u);
  EXPECT_EQ(machine.Starts()[0].commandLine, IeCommandLine("?ROUTER=router"));
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "10.0.0.1\r\nrouter");
  EXPECT_EQ(launcher.ListItems(), (Lines{"10.0.0.1", "router"}));

  // The same new address twice: recorded once.
  launcher.SetAddressText("10.0.0.3 ");
  launcher.Launch();
  launcher.Launch();
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()),
            "10.0.0.1\r\nrouter\r\n10.0.0.3 ");
  EXPECT_EQ(launcher.ListItems(), (Lines{"10.0.0.1", "10.0.0.3 ", "router"}));
  ASSERT_EQ(machine.WaitForStarts(3).size(), 3u);
  EXPECT_EQ(machine.Starts()[2].commandLine, IeCommandLine("?ROUTER=10.0.0.3 "));
}

struct RejectCase {
  const char* name;
  std::string address;
  const char* message;
};

std::ostream& operator<<(std::ostream& out, const RejectCase& c) {
  return out << c.name;
}

class Rejections : public Launcher,
                   public ::testing::WithParamInterface<RejectCase> {};

TEST_P(Rejections, ShowTheirMessageAndChangeNothing) {
  const RejectCase& c = GetParam();
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText(c.address);
  launcher.SetHttps(true);
  std::vector<Box> boxes = launcher.Launch();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Talvor Plinor ");
  EXPECT_EQ(boxes[0].text, c.message);
  EXPECT_FALSE(boxes[0].yesNo);
  EXPECT_TRUE(boxes[0].dialogEnabled);  // the box has no owner
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "192.168.0.1");
  EXPECT_EQ(launcher.ListItems(), Lines{"192.168.0.1"});
  EXPECT_TRUE(machine.Starts().empty());
  EXPECT_EQ(launcher.AddressText(), c.address);
  EXPECT_TRUE(launcher.HttpsTicked());
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, Rejections,
    ::testing::Values(
        RejectCase{"Empty", "", IDS_HOST_EMPTY_TEXT},
        RejectCase{"Blanks", "   ", IDS_HOST_EMPTY_TEXT},
        RejectCase{"TrailingBlank", "router ", IDS_HOST_SPACES_TEXT},
        RejectCase{"InnerTab", "rou\tter", IDS_HOST_SPACES_TEXT},
        RejectCase{"Question", "router?x", IDS_HOST_QUESTION_TEXT},
        RejectCase{"Quote", "router\"-x", IDS_HOST_QUOTE_TEXT},
        RejectCase{"TooLong", std::string(64, 'h'), IDS_HOST_TOO_LONG_TEXT},
        RejectCase{"Piece255", "10.0.0.255", IDS_INVALID_IP_TEXT},
        RejectCase{"ExtraArgument", "10.0.0.1 --kiosk", IDS_INVALID_IP_TEXT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Launcher, NotInstalledShowsMessage109OwnedByTheDialog) {
  machine.Uninstall();
  LauncherSession launcher(machine.folder());
  // Without an installation the history is the bare name in the launcher's
  // current folder.
  EXPECT_EQ(ReadFileBytes(machine.folder() + "host.cfg"), "192.168.0.1");
  launcher.SetAddressText("");
  std::vector<Box> boxes = launcher.Launch();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "PlinorLauncher");
  EXPECT_EQ(boxes[0].text, IDS_NOT_INSTALLED_TEXT);
  EXPECT_FALSE(boxes[0].dialogEnabled);
  EXPECT_TRUE(machine.Starts().empty());
  EXPECT_TRUE(launcher.Running());
}

TEST_F(Launcher, JavaPromptAnsweredYesGoesOnAndAsksAgainNextTime) {
  machine.RemoveJava();
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("10.0.0.5");
  for (int launch = 1; launch <= 2; ++launch) {
    std::vector<Box> boxes = launcher.Launch({IDYES});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Talvor Plinor ");
    EXPECT_EQ(boxes[0].text, IDS_JAVA_MISSING_TEXT);
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_TRUE(boxes[0].dialogEnabled);
    EXPECT_EQ(machine.WaitForStarts(launch).size(), static_cast<std::size_t>(launch));
  }
}

TEST_F(Launcher, JavaTooOldIsCaptionedWithoutTheSpace) {
  machine.SetJava("1.4", "1");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("10.0.0.5");
  std::vector<Box> boxes = launcher.Launch({IDYES});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Talvor Plinor");

  machine.SetJava("1.4", "2");  // the boundary passes silently
  EXPECT_EQ(launcher.Launch(), std::vector<Box>{});
  EXPECT_EQ(machine.WaitForStarts(2).size(), 2u);
}

TEST_F(Launcher, JavaPromptAnsweredNoEndsTheProgramAtOnce) {
  machine.SetJava("1.3", "9");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("10.0.0.6");
  std::vector<Box> boxes = launcher.Launch({IDNO});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(launcher.WaitForExit(), 0u);
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "192.168.0.1");
  EXPECT_TRUE(machine.Starts().empty());
}

TEST_F(Launcher, AFailedBrowserStartIsReported) {
  machine.SetBrowserCommand("C:\\nowhere\\IEXPLORE.EXE");
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("10.0.0.8");
  std::vector<Box> boxes = launcher.Launch();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Talvor Plinor ");
  EXPECT_EQ(boxes[0].text.find("The web browser could not be started.\n\n"
                               "Command line:\nC:\\NOWHERE\\IEXPLORE.EXE file:///"),
            0u)
      << boxes[0].text;
  // The address was recorded before the start was tried.
  EXPECT_EQ(ReadFileBytes(machine.HistoryPath()), "192.168.0.1\r\n10.0.0.8");
}

TEST_F(Launcher, EnterLaunchesAndEscapeCloses) {
  LauncherSession launcher(machine.folder());
  launcher.SetAddressText("10.9.9.9");
  launcher.PressKey(VK_RETURN);
  std::vector<BrowserStart> starts = machine.WaitForStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].commandLine, IeCommandLine("?ROUTER=10.9.9.9"));
  EXPECT_TRUE(launcher.Running());
  launcher.PressKey(VK_ESCAPE);
  EXPECT_EQ(launcher.WaitForExit(), 0u);
}

TEST_F(Launcher, AboutBoxOpensFromTheSystemMenu) {
  LauncherSession launcher(machine.folder());
  // Alt+Space opens the system menu; our entry is its last one. (Wine's
  // own "About Wine" entry shares the mnemonic, so the arrow key it is.)
  launcher.PostSysCommand(SC_KEYMENU, VK_SPACE);
  ASSERT_TRUE(launcher.WaitForMenu());
  launcher.TypeKey(VK_UP);
  launcher.TypeKey(VK_RETURN);
  HWND about = launcher.WaitForWindow("About Plinor Launcher");
  ASSERT_TRUE(about);
  launcher.Answer(about, IDOK);
  ASSERT_TRUE(launcher.WaitForClosed(about));

  // The About command itself, as the menu sends it.
  launcher.PostSysCommand(IDM_ABOUTBOX);
  about = launcher.WaitForWindow("About Plinor Launcher");
  ASSERT_TRUE(about);
  EXPECT_FALSE(::IsWindowEnabled(launcher.dialog()));
  std::vector<std::string> texts;
  for (HWND child = ::GetWindow(about, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT))
    texts.push_back(WindowText(child));
  EXPECT_NE(std::find(texts.begin(), texts.end(), PLINOR_ABOUT_TEXT), texts.end());
  launcher.Answer(about, IDOK);
  launcher.WaitForClosed(about);
  EXPECT_FALSE(::IsWindow(about));
  EXPECT_TRUE(::IsWindowEnabled(launcher.dialog()));
  EXPECT_TRUE(launcher.Running());
}

TEST_F(Launcher, CloseButtonEndsTheProgram) {
  LauncherSession launcher(machine.folder());
  ::PostMessageA(launcher.dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(launcher.dialog(), IDCANCEL)));
  EXPECT_EQ(launcher.WaitForExit(), 0u);
}

// The first static control of `parent` of the given type (SS_BITMAP, SS_ICON),
// and its size in pixels.
SIZE StaticSize(HWND parent, LONG type) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != type) continue;
    RECT r;
    ::GetClientRect(child, &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  return {0, 0};
}

// The test command runs this again in a prefix set to 192 DPI, with
// PLINOR_EXPECT_DPI=192.
TEST(HighDpi, TheBannerAndTheAboutIconFollowTheScreensDpi) {
  ::SetProcessDPIAware();  // pixels as the launcher sees them
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const char* expected = std::getenv("PLINOR_EXPECT_DPI");
  ASSERT_EQ(dpi, expected ? std::atoi(expected) : 96);

  Machine machine;
  machine.Install();
  LauncherSession launcher(machine.folder());
  ASSERT_TRUE(launcher.dialog());
  // Bitmap 138 is 85 x 43; the others are drawn at 125 to 200 % of it.
  const SIZE banner = StaticSize(launcher.dialog(), SS_BITMAP);
  EXPECT_NEAR(banner.cx, 85.0 * dpi / 96, 3) << "at " << dpi << " DPI";
  EXPECT_NEAR(banner.cy, 43.0 * dpi / 96, 2) << "at " << dpi << " DPI";

  launcher.PostSysCommand(IDM_ABOUTBOX);
  HWND about = launcher.WaitForWindow("About Plinor Launcher");
  ASSERT_TRUE(about);
  const SIZE icon = StaticSize(about, SS_ICON);
  EXPECT_GE(icon.cx, 48 * dpi / 192) << "at " << dpi << " DPI";
  EXPECT_EQ(icon.cx, icon.cy);
  launcher.Answer(about, IDOK);
}

}  // namespace
}  // namespace e2e
