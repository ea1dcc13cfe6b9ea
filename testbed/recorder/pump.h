// Message pumping for tests: run the thread's queue until it is quiet, or until a condition holds.
#pragma once

#include <windows.h>

#include <functional>

namespace testbed {

// Dispatches every message that is waiting now, sent messages from other threads included.
void PumpMessages();

// Dispatches messages until the queue has stayed empty for quietMs (at most maxMs in all), so that
// messages posted in reply to earlier ones have arrived before a test compares anything.
void FlushMessages(DWORD quietMs = 30, DWORD maxMs = 2000);

// Dispatches messages while waiting until condition() is true or timeoutMs has passed. Returns
// the last value of condition(), which is checked once more after the timeout.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches messages for the given time.
void PumpFor(DWORD milliseconds);

}  // namespace testbed
