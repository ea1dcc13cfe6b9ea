// Where the programs under test lie: every binary of the build lands in bin/, beside the test.
#pragma once

#include <string>

namespace testbed {

// The folder of the running executable, ending in a backslash.
std::string ExeDirectory();

// fileName in the folder of the running executable.
std::string BinaryPath(const char* fileName);

// velmo.exe beside the running executable.
std::string VelmoPath();

}  // namespace testbed
