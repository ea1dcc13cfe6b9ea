// Readable names of window messages, for the recorder's printouts.
#pragma once

#include <string>

namespace testbed {

// "WM_COMMAND", "WM_USER+10", "WM_APP+1", a registered message's name, or the number in hex.
std::string MessageName(unsigned message);

}  // namespace testbed
