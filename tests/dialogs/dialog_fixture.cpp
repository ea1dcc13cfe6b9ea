#include "tests/dialogs/dialog_fixture.h"

#include "app/app.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/dialogs.h"
#include "settings/settings.h"
#include "testbed/fakevmh/fake_vmh.h"
#include "testbed/registry/registry_guard.h"

const char OPTIONS_TITLE[] = "Velmoの設定";
const char ABOUT_TITLE[] = "バージョン情報";

constexpr char OWNER_CLASS[] = "Velmo Dialog Test Owner";
constexpr char MIRROR_STAND_IN_CLASS[] = "Velmo Dialog Test Mirror";

// The record as the program starts with it, before anything is loaded.
static const SettingsRecord InitialSettings = Settings;

// Stands in for MainWindow: the tray menu's commands open the dialogs.
static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDM_OPTIONS) return OpenOptionsDialog(window);
  if (message == WM_COMMAND && LOWORD(wParam) == IDM_ABOUT) return OpenAboutDialog(window);
  if (message == WM_COMMAND && LOWORD(wParam) == IDM_TOGGLE_MIRROR && lParam == MIRROR_HIDE)
    return HideMirror();
  return DefWindowProcA(window, message, wParam, lParam);
}

static void RegisterClassOnce(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassA(&windowClass);
}

void DialogTest::SetUp() {
  ForgetStoredSettings();
  Settings = InitialSettings;
  LoadSettings();
  testbed::FakeVmh::Reset();
  RegisterClassOnce(OWNER_CLASS, OwnerProc);
  RegisterClassOnce(MIRROR_STAND_IN_CLASS, DefWindowProcA);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  owner_ =
      CreateWindowExA(0, OWNER_CLASS, "Velmo", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  DesktopRect = ScreenRect{8, 16, 600, 400};
  // Not owned: Wine 8 never takes an owned window out of the topmost band (HWND_NOTOPMOST keeps
  // WS_EX_TOPMOST), which Windows does.
  MirrorWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, MIRROR_STAND_IN_CLASS, "Velmo", WS_POPUP,
                                 DesktopRect.left, DesktopRect.top, DesktopRect.width, DesktopRect.height,
                                 nullptr, nullptr, instance, nullptr);
}

void DialogTest::TearDown() {
  if (MirrorWindow != nullptr) DestroyWindow(MirrorWindow);
  MirrorWindow = nullptr;
  if (owner_ != nullptr) DestroyWindow(owner_);
  ForgetStoredSettings();
  Settings = InitialSettings;
}

INT_PTR DialogTest::WithOptionsDialog(const std::function<void(HWND dialog)>& drive) {
  return RunDialog(
      OPTIONS_TITLE, [&] { return static_cast<INT_PTR>(OpenOptionsDialog(owner_)); }, drive);
}

INT_PTR DialogTest::WithAboutDialog(const std::function<void(HWND dialog)>& drive) {
  return RunDialog(
      ABOUT_TITLE, [&] { return static_cast<INT_PTR>(OpenAboutDialog(owner_)); }, drive);
}

void DialogTest::Restart() {
  SaveSettings();
  Settings = InitialSettings;
  LoadSettings();
}

std::vector<ShortcutKeyCall> ShortcutKeyCalls() {
  std::vector<ShortcutKeyCall> calls;
  for (const testbed::VmhCall& call : testbed::FakeVmh::CallsOf(testbed::VmhFunction::SetShortCutKeyCode)) {
    calls.push_back(
        ShortcutKeyCall{static_cast<DWORD>(call.arguments.at(0)), static_cast<DWORD>(call.arguments.at(1))});
  }
  return calls;
}

std::vector<DWORD> ShortcutMouseCalls() {
  std::vector<DWORD> calls;
  for (const testbed::VmhCall& call : testbed::FakeVmh::CallsOf(testbed::VmhFunction::SetShortCutMouse)) {
    calls.push_back(static_cast<DWORD>(call.arguments.at(0)));
  }
  return calls;
}

int SelectedItem(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool WaitForText(HWND dialog, int id, const std::string& text) {
  return WaitUntil([&] { return ControlText(dialog, id) == text; });
}

std::string KeyName(LPARAM keyData) {
  char name[64] = "";
  GetKeyNameTextA(static_cast<LONG>(keyData), name, sizeof name);
  return name;
}
