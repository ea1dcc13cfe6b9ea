#include "tests/faults/soak_program.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/tray_icon.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "testbed/fakevmh/fake_vmh.h"
#include "tests/core/fake_desktop.h"
#include "tests/core/velmo_fixture.h"

using testbed::FakeVmh;

void (*AfterEachSoakCycle)() = nullptr;

constexpr char SOAK_MAIN_CLASS[] = "Velmo Main Soak";
constexpr int SOAK_ICON_COUNT = 8;
constexpr int SOAK_ICONS_PER_ROW = 4;
constexpr int SOAK_ICON_STEP = 90;
constexpr int SOAK_FIRST_ICON_X = 20;
constexpr int SOAK_FIRST_ICON_Y = 10;
constexpr int ICON_PIXELS = 32;
constexpr UINT PUT_BACK_HIDDEN_FLAGS = SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW;

static FakeDesktop* Desktop;
static std::vector<DesktopItem> Items;

// Everything queued is dispatched, and what the test bed records about it is forgotten, so that
// the records themselves do not grow through the run.
static void Settle() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (Desktop != nullptr) Desktop->received.clear();
  FakeVmh::ClearCalls();
}

testbed::ProcessMeasures SettledMeasures() {
  Settle();
  return testbed::TakeProcessMeasures();
}

bool StartSoakProgram(RECT desktop) {
  ResetVelmoState();
  FakeVmh::Reset();
  Items.clear();
  for (int i = 0; i < SOAK_ICON_COUNT; ++i) {
    std::string name = "項目 " + std::to_string(i);
    LONG x = SOAK_FIRST_ICON_X + (i % SOAK_ICONS_PER_ROW) * SOAK_ICON_STEP;
    LONG y = SOAK_FIRST_ICON_Y + (i / SOAK_ICONS_PER_ROW) * SOAK_ICON_STEP;
    Items.push_back(MakeDesktopItem(x, y, name.c_str(), i));
  }
  ServeItems(Items);
  Desktop = new FakeDesktop(desktop);
  AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = AppInstance;
  windowClass.lpszClassName = SOAK_MAIN_CLASS;
  RegisterClassA(&windowClass);
  MainWindow = CreateWindowExA(0, SOAK_MAIN_CLASS, MAIN_WINDOW_TITLE, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               AppInstance, nullptr);
  TrayMenu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_TRAYMENU));
  TrayPopup = GetSubMenu(TrayMenu, 0);
  LookUpDesktopHandles();
  bool started =
      MainWindow != nullptr && TrayPopup != nullptr && AddTrayIcon(MainWindow) && CreateMirror(MainWindow);
  Settle();
  return started;
}

void StopSoakProgram() {
  if (IsWindow(MainWindow)) DestroyWindow(MainWindow);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (TrayMenu != nullptr) DestroyMenu(TrayMenu);
  TrayMenu = TrayPopup = nullptr;
  MainWindow = nullptr;
  delete Desktop;
  Desktop = nullptr;
  ResetVelmoState();
}

static void Request(LPARAM request) {
  SendMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, request);
  Settle();
}

// Turning moving off puts the parked mirror back over the desktop, hidden, as the options dialog
// does when the user changes the mode.
static void ChangeMode(LONG moveWindow) {
  if (Settings.MoveWindow == moveWindow) return;
  bool wasMoving = Settings.MoveWindow == 1;
  Settings.MoveWindow = moveWindow;
  if (!wasMoving) return;
  SetWindowPos(MirrorWindow, nullptr, DesktopRect.left, DesktopRect.top, 0, 0, PUT_BACK_HIDDEN_FLAGS);
}

double RunShowHideCycles(int cycles, LONG moveWindow) {
  ChangeMode(moveWindow);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < cycles; ++i) {
    Request(MIRROR_SHOW);
    Request(MIRROR_HIDE);
    if (AfterEachSoakCycle != nullptr) AfterEachSoakCycle();
  }
  QueryPerformanceCounter(&end);
  return cycles > 0 ? 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart / cycles : 0;
}

double RunRefreshes(int count) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i) {
    SendMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);
    Settle();
    // The fake library keeps every image list it handed out; start it afresh.
    FakeVmh::Reset();
    ServeItems(Items);
    if (AfterEachSoakCycle != nullptr) AfterEachSoakCycle();
  }
  QueryPerformanceCounter(&end);
  return count > 0 ? 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart / count : 0;
}

// True when the icon draws the picture of the icon resource `id`.
static bool IconShows(HICON icon, int id) {
  HICON expected = static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
  HDC screen = GetDC(nullptr);
  HDC dcs[2] = {CreateCompatibleDC(screen), CreateCompatibleDC(screen)};
  HBITMAP bitmaps[2] = {CreateCompatibleBitmap(screen, ICON_PIXELS, ICON_PIXELS),
                        CreateCompatibleBitmap(screen, ICON_PIXELS, ICON_PIXELS)};
  ReleaseDC(nullptr, screen);
  HICON icons[2] = {icon, expected};
  HGDIOBJ previous[2];
  for (int i = 0; i < 2; ++i) {
    previous[i] = SelectObject(dcs[i], bitmaps[i]);
    PatBlt(dcs[i], 0, 0, ICON_PIXELS, ICON_PIXELS, WHITENESS);
    if (icons[i] != nullptr)
      DrawIconEx(dcs[i], 0, 0, icons[i], ICON_PIXELS, ICON_PIXELS, 0, nullptr, DI_NORMAL);
  }
  bool same = icon != nullptr && expected != nullptr;
  for (int y = 0; y < ICON_PIXELS && same; ++y) {
    for (int x = 0; x < ICON_PIXELS && same; ++x) same = GetPixel(dcs[0], x, y) == GetPixel(dcs[1], x, y);
  }
  for (int i = 0; i < 2; ++i) {
    SelectObject(dcs[i], previous[i]);
    DeleteObject(bitmaps[i]);
    DeleteDC(dcs[i]);
  }
  if (expected != nullptr) DestroyIcon(expected);
  return same;
}

// Only an icon that the notification area holds can be modified.
static bool TrayIconPresent() {
  NOTIFYICONDATAA probe = TrayIconData;
  probe.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

static bool MirrorOverDesktop() {
  RECT mirror = {}, desktop = {};
  GetWindowRect(MirrorWindow, &mirror);
  GetWindowRect(DesktopListView, &desktop);
  return IsWindowVisible(MirrorWindow) && EqualRect(&mirror, &desktop);
}

bool MirrorAndTrayStillWork(LONG moveWindow) {
  ChangeMode(moveWindow);
  Request(MIRROR_SHOW);
  bool shown = IsMirrorVisible == 1 && MirrorOverDesktop() &&
               IconShows(TrayIconData.hIcon, IDI_TRAY_ACTIVE) && TrayIconPresent();
  Request(MIRROR_HIDE);
  bool hidden = IsMirrorVisible == 0 && !MirrorOverDesktop() &&
                IconShows(TrayIconData.hIcon, IDI_TRAY_IDLE) && TrayIconPresent();
  return shown && hidden;
}
