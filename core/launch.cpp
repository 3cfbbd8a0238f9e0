#include "core/launch.h"

#include "core/address_check.h"
#include "core/browser_launch.h"
#include "core/java_check.h"
#include "core/narrow_string.h"

namespace plinor {

LaunchOutcome RunLaunch(Platform& platform, std::string& address,
                        int& useHttps, AddressList& list) {
  CheckJavaRuntime(platform);

  std::optional<LaunchTarget> target = ComposeLaunchTarget(platform, useHttps);
  if (!target) return LaunchOutcome::NotInstalled;

  TrimLeft(address);
  const std::string launchAddress = address;

  int dotted = CheckAddressAsIP(platform, launchAddress);
  if (dotted == kAddressRejected) return LaunchOutcome::AddressRejected;
  if (dotted == kAddressNoDot && CheckHostName(platform, launchAddress) == 0)
    return LaunchOutcome::AddressRejected;

  if (!AppendAddressHistory(platform, list, launchAddress))
    return LaunchOutcome::HistoryFailed;

  target->arguments += launchAddress;
  StartBrowser(platform, target->browserPath, target->arguments);
  return LaunchOutcome::BrowserStartMade;
}

}  // namespace plinor
