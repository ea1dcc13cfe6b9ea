// What testbed_child.exe shows and writes, shared with the tests that start it.
#pragma once

constexpr char TESTBED_CHILD_CLASS[] = "VelmoTestbedChild";
constexpr char TESTBED_CHILD_TITLE[] = "Testbed child";
constexpr char TESTBED_CHILD_STARTED[] = "==表示へ!==\r\n";  // Shift-JIS, with a 0x5C trail byte
constexpr char TESTBED_CHILD_CLOSING[] = "==closing==\r\n";
constexpr char TESTBED_CHILD_STUBBORN[] = "stubborn";  // argument: ignore WM_CLOSE
constexpr int TESTBED_CHILD_EXIT_CODE = 7;
