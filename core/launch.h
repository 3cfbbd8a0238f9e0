// One press of Launch, from the Java check to the browser's start.
#pragma once

#include <string>

#include "core/address_history.h"
#include "platform/platform.h"

namespace plinor {

enum class LaunchOutcome {
  BrowserStartMade,  // the browser's start was made: it started, or its
                     // failure was reported
  NotInstalled,      // message 109
  AddressRejected,   // one of the messages 103 to 107
  HistoryFailed      // a history file error was reported
};

// Runs a launch on the dialog's members, which the caller has just filled
// from the controls. They are read only after the Java check, because a
// launch nested in the Java prompt refreshes them. The leading white space
// of `address` is removed in place; nothing else of the dialog changes.
LaunchOutcome RunLaunch(Platform& platform, std::string& address,
                        int& useHttps, AddressList& list);

}  // namespace plinor
