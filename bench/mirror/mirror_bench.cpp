#include "bench/mirror/mirror_bench.h"

#include <commctrl.h>

#include <cmath>

#include "app/app.h"
#include "app/tray_icon.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "testbed/recorder/pump.h"

constexpr int MIN_CELL = 1;
constexpr int SHORTCUT_EVERY = 8;
constexpr int MAIN_WINDOW_X = -500;
constexpr int MAIN_WINDOW_Y = -500;
constexpr DWORD PUMP_WAIT_MS = 5;

static bool RegisterMainWindowClass() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = AppInstance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = MAIN_WINDOW_CLASS;
  return RegisterClassA(&windowClass) != 0;
}

bool StartProgramCore() {
  AppInstance = GetModuleHandleA(nullptr);
  InitCommonControls();
  LoadSettings();
  if (!RegisterMainWindowClass()) return false;
  MainWindow = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WS_POPUP | WS_DISABLED, MAIN_WINDOW_X,
                               MAIN_WINDOW_Y, 0, 0, nullptr, nullptr, AppInstance, nullptr);
  if (MainWindow == nullptr) return false;
  Msimg32Module = LoadLibraryA("MSIMG32.DLL");
  if (Msimg32Module != nullptr) {
    AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(Msimg32Module, "AlphaBlend")));
  }
  AddTrayIcon(MainWindow);
  return true;
}

void StopProgramCore() {
  DestroyWindow(MainWindow);  // takes MirrorWindow and the tray icon with it
  Pump(PUMP_WAIT_MS);
  if (Msimg32Module != nullptr) FreeLibrary(Msimg32Module);
}

std::vector<StandinItem> GridItems(int count, int width, int height) {
  // Square cells, as many as there are items, over the whole desktop.
  int cell = static_cast<int>(std::sqrt(static_cast<double>(width) * height / count));
  if (cell < MIN_CELL) cell = MIN_CELL;
  int columns = width / cell;
  std::vector<StandinItem> items;
  for (int i = 0; i < count; ++i) {
    StandinKind kind = i % SHORTCUT_EVERY == 0 ? STANDIN_LINK : STANDIN_FILE;
    items.push_back({kind, (i % columns) * cell, (i / columns) * cell, STANDIN_OWN_IMAGE,
                     "項目 " + std::to_string(i) + (kind == STANDIN_FILE ? ".txt" : "")});
  }
  return items;
}

void Command(WPARAM command, LPARAM request) { SendMessageA(MainWindow, WM_COMMAND, command, request); }

void Pump(DWORD milliseconds) { testbed::PumpFor(milliseconds); }

std::string DesktopTag(int width, int height, int count) {
  return std::to_string(width) + "x" + std::to_string(height) + "_" + std::to_string(count);
}

std::string DesktopLabel(int width, int height, int count) {
  std::string items = count >= 1000
                          ? std::to_string(count / 1000) + "," + std::to_string(count % 1000 + 1000).substr(1)
                          : std::to_string(count);
  return std::to_string(width) + "x" + std::to_string(height) + ", " + items + " items";
}
