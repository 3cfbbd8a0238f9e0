// The two checks a device address meets before a launch. Each shows its own
// message (an unowned prompt, caption "Talvor Plinor ", type 0x40) when it
// rejects the text, and works on its own copy of it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plinor {

inline constexpr int kAddressRejected = 0;
inline constexpr int kAddressDotted = 1;
inline constexpr int kAddressNoDot = 2;

// 2 when the text holds no dot (a host name, shown nothing); otherwise every
// dot-separated piece must have a leading number from 0 to 254: 1 when all
// do, 0 after message 107 when one does not. White space inside the address
// (after its leading and before its trailing white space) is rejected too,
// so that an address never becomes more than one argument of the browser.
int CheckAddressAsIP(Platform& platform, std::string address);

// 1 when the text is an acceptable host name; else 0 after one of the
// messages 103 to 106, or 112 for a double quote.
int CheckHostName(Platform& platform, std::string address);

}  // namespace plinor
