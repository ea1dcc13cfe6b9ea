// Desktops of this process's own: one on a thread that stops pumping its messages (a shell that
// does not answer: GetDeskTopData gives up after a bounded wait and reports nothing), and one on
// the caller's own thread, read without crossing anything.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "hooklib/vmh.h"

constexpr char HUNG_PROGMAN_CLASS[] = "Progman";
constexpr char HUNG_DEFVIEW_CLASS[] = "SHELLDLL_DefView";

struct HungDesktop {
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// Progman -> SHELLDLL_DefView -> a list view with one item and no image list; returns Progman.
static HWND MakeLocalDesktop() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = HUNG_PROGMAN_CLASS;
  RegisterClassA(&windowClass);
  windowClass.lpszClassName = HUNG_DEFVIEW_CLASS;
  RegisterClassA(&windowClass);
  HWND progman = CreateWindowExA(0, HUNG_PROGMAN_CLASS, "Program Manager", WS_POPUP, 0, 0, 100, 100, nullptr,
                                 nullptr, instance, nullptr);
  HWND view = CreateWindowExA(0, HUNG_DEFVIEW_CLASS, "", WS_CHILD, 0, 0, 100, 100, progman, nullptr, instance,
                              nullptr);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_ICON, 0, 0, 100, 100, view, nullptr,
                              instance, nullptr);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("hung");
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return progman;
}

static void DestroyLocalDesktop(HWND progman) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  DestroyWindow(progman);
  UnregisterClassA(HUNG_DEFVIEW_CLASS, instance);
  UnregisterClassA(HUNG_PROGMAN_CLASS, instance);
}

static DWORD WINAPI HungDesktopThread(LPVOID parameter) {
  auto* hung = static_cast<HungDesktop*>(parameter);
  HWND progman = MakeLocalDesktop();
  SetEvent(hung->created);
  WaitForSingleObject(hung->release, INFINITE);  // hung: nothing is pumped meanwhile
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  DestroyLocalDesktop(progman);
  return 0;
}

TEST(DesktopDataHungShell, GivesUpAndReportsNothing) {
  HungDesktop hung;
  HANDLE thread = CreateThread(nullptr, 0, HungDesktopThread, &hung, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(hung.created, INFINITE);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(static_cast<uintptr_t>(0x1234));
  DWORD count = 77;
  std::vector<DesktopItem> items(4);
  DWORD started = GetTickCount();
  EXPECT_FALSE(GetDeskTopData(&images, &count, items.data(), static_cast<DWORD>(items.size())));
  DWORD waited = GetTickCount() - started;
  EXPECT_EQ(0u, count);
  EXPECT_EQ(nullptr, images);
  SetEvent(hung.release);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(hung.created);
  CloseHandle(hung.release);
  printf("gave up after %lu ms\n", static_cast<unsigned long>(waited));
}

TEST(DesktopDataLocal, ListViewOnTheCallersThreadIsReadDirectly) {
  HWND progman = MakeLocalDesktop();
  ASSERT_NE(nullptr, progman);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(static_cast<uintptr_t>(0x1234));
  DWORD count = 0;
  std::vector<DesktopItem> items(4);
  // The item is there but the view has no image list: not a good fetch, and no list to release.
  EXPECT_FALSE(GetDeskTopData(&images, &count, items.data(), static_cast<DWORD>(items.size())));
  EXPECT_EQ(1u, count);
  EXPECT_STREQ("hung", items[0].name);
  EXPECT_EQ(nullptr, images);
  DestroyLocalDesktop(progman);
}
