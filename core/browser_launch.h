// Turns the default browser's registered command, the installation directory
// and the HTTPS choice into the command line that opens the launcher page,
// and starts the browser with it.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace plinor {

enum class BrowserKind { InternetExplorer, Netscape, Firefox, Other };

struct LaunchTarget {
  BrowserKind kind = BrowserKind::Other;
  std::string browserPath;  // begins the command line
  std::string arguments;    // begins with a blank; as composed ends "?ROUTER="
};

// The registered command upper-cased and cut one byte after its first ".EXE"
// (its leftmost 4 bytes when it has none).
std::string NormaliseBrowserCommand(const CodePage& cp, std::string command);

// The first of IEXPLORE.EXE, NETSCP.EXE and FIREFOX.EXE in a normalised
// command decides the kind.
BrowserKind ClassifyBrowser(const CodePage& cp, const std::string& normalised);

// Reads the registry and composes the target up to "?ROUTER=". When Plinor is
// not installed it shows message 109 in the application message box and
// yields no target. useHttps is the check box's value; only 1 means HTTPS.
std::optional<LaunchTarget> ComposeLaunchTarget(Platform& platform,
                                                int useHttps);

// Starts browserPath followed directly by arguments. A path naming Firefox is
// first started bare, and a successful pre-start is followed by a pause of
// 3700 ms. Where browserPath is absolute (a drive and ":\" or ":/", or
// "\\"), unquoted and has a blank or tab before its program's end (its first
// ".EXE" followed by a blank, a tab or the end), every start names that
// program, so that no program named by a piece of the path before a blank
// runs instead, and the command line carries it in double quotes, the rest
// as composed; the pre-start's command line is then the quoted program
// alone. Any other path is started as it is. A failed real start is reported
// in an unowned prompt.
void StartBrowser(Platform& platform, const std::string& browserPath,
                  const std::string& arguments);

}  // namespace plinor
