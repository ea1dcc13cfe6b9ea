#include "tests/core/velmo_fixture.h"

void PumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

void ResetVelmoState() {
  if (MirrorWindow != nullptr) DestroyWindow(MirrorWindow);
  MirrorWindow = nullptr;
  IsMirrorVisible = 0;
  PreviousForegroundWindow = nullptr;
  LastSelectedItem = -1;
  ProgmanWindow = nullptr;
  DesktopDefView = nullptr;
  DesktopListView = nullptr;
  AppInstance = GetModuleHandleA(nullptr);
}

void VelmoTest::SetUp() {
  savedSettings_ = Settings;
  ResetVelmoState();
  ResetFakeVmh();
}

void VelmoTest::TearDown() {
  ResetVelmoState();
  PumpMessages(20);
  Settings = savedSettings_;
}

void VelmoTest::ServeSampleItems() {
  FakeVmh.items = {MakeItem(20, 10, "ごみ箱", 0), MakeItem(20, 110, "表計算.lnk", 1),
                   MakeItem(120, 10, "Notes", 2)};
}
