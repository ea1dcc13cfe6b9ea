#include "testbed/recorder/pump.h"

namespace testbed {

namespace {

constexpr DWORD POLL_INTERVAL_MS = 5;

// True when at least one message was dispatched.
bool DispatchWaiting() {
  bool any = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return any;
}

// Waits for input or a sent message for at most milliseconds.
void WaitForQueue(DWORD milliseconds) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

}  // namespace

void PumpMessages() { DispatchWaiting(); }

void FlushMessages(DWORD quietMs, DWORD maxMs) {
  const DWORD start = GetTickCount();
  DWORD quietSince = start;
  while (GetTickCount() - start < maxMs) {
    if (DispatchWaiting()) quietSince = GetTickCount();
    if (GetTickCount() - quietSince >= quietMs) return;
    WaitForQueue(POLL_INTERVAL_MS);
  }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DispatchWaiting();
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) break;
    WaitForQueue(POLL_INTERVAL_MS);
  }
  DispatchWaiting();
  return condition();
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    DispatchWaiting();
    const DWORD passed = GetTickCount() - start;
    if (passed >= milliseconds) return;
    WaitForQueue(milliseconds - passed < POLL_INTERVAL_MS ? milliseconds - passed : POLL_INTERVAL_MS);
  }
}

}  // namespace testbed
