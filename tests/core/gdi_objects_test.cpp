// Building, refreshing, showing and hiding the mirror leave no GDI object behind: each pair of
// runs is compared after one warm-up run, since the system keeps some objects it made on first use.
#include <windows.h>

#include "app/tray_icon.h"
#include "res/resource.h"
#include "testbed/gdicount/gdi_count.h"
#include "tests/core/velmo_fixture.h"

using testbed::CountGdiObjects;

class GdiObjects : public VelmoTest {
 protected:
  void SetUp() override {
    VelmoTest::SetUp();
    ASSERT_GE(CountGdiObjects(), 0) << "no way to count GDI objects here";
    AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));
    ServeSampleItems();
    desktop_ = new FakeDesktop(FAKE_DESKTOP_RECT);
  }
  void TearDown() override {
    VelmoTest::TearDown();
    delete desktop_;
  }
  FakeDesktop* desktop_ = nullptr;
};

static void BuildAndDestroy() {
  CreateMirror(nullptr);
  DestroyWindow(MirrorWindow);
}

TEST_F(GdiObjects, CountSeesADeliberateLeak) {
  BuildAndDestroy();
  int before = CountGdiObjects();
  HDC screen = GetDC(nullptr);
  HBITMAP leak = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(before + 1, CountGdiObjects());
  DeleteObject(leak);
  EXPECT_EQ(before, CountGdiObjects());
}

TEST_F(GdiObjects, BuildingAndDestroyingTheMirrorLeavesNothing) {
  BuildAndDestroy();
  int before = CountGdiObjects();
  BuildAndDestroy();
  BuildAndDestroy();
  EXPECT_EQ(before, CountGdiObjects());
}

TEST_F(GdiObjects, ShowHideCyclesMakeNothing) {
  for (LONG moveWindow : {LONG{1}, LONG{0}}) {
    Settings.MoveWindow = moveWindow;
    CreateMirror(nullptr);
    ShowMirror();
    PumpMessages(30);
    HideMirror();
    PumpMessages(30);
    int before = CountGdiObjects();
    for (int i = 0; i < 5; ++i) {
      ShowMirror();
      PumpMessages(30);
      HideMirror();
      PumpMessages(30);
    }
    EXPECT_EQ(before, CountGdiObjects()) << "MoveWindow " << moveWindow;
    DestroyWindow(MirrorWindow);
  }
}

TEST_F(GdiObjects, RefreshLeavesNothing) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = AppInstance;
  windowClass.lpszClassName = "Velmo Main GDI test";
  RegisterClassA(&windowClass);
  MainWindow = CreateWindowExA(0, windowClass.lpszClassName, "Velmo", WS_POPUP, -500, -500, 0, 0, nullptr,
                               nullptr, AppInstance, nullptr);
  CreateMirror(MainWindow);
  SendMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);
  int before = CountGdiObjects();
  SendMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);
  SendMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);
  EXPECT_EQ(before, CountGdiObjects());
  DestroyWindow(MainWindow);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  MainWindow = nullptr;
}
