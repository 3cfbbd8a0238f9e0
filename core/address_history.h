// The address history: "host.cfg" in the installation directory, one address
// per line, in the order the addresses were first launched. The file only
// grows: nothing here truncates, rewrites or reorders it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plinor {

// Where the history's addresses are shown: the dialog's combo box.
class AddressList {
 public:
  virtual ~AddressList() = default;
  virtual void AddString(const std::string& text) = 0;
};

// Seeds an empty history file.
inline constexpr const char* kDefaultDeviceAddress = "192.168.0.1";
inline constexpr const char* kHistoryFileName = "host.cfg";

// Lists every line of the history file, creating the file when it is absent
// and seeding it with the default address when it is empty. A file that
// cannot be opened leaves the list empty and shows nothing.
void LoadAddressHistory(Platform& platform, AddressList& list);

// Adds an address that the file does not yet hold to the list and to the
// end of the file; when the file cannot be opened, to the list alone.
// Returns false after a read, seek, write or close error, which it has
// reported to the user: the launch must then end without starting the
// browser.
bool AppendAddressHistory(Platform& platform, AddressList& list,
                          const std::string& address);

}  // namespace plinor
