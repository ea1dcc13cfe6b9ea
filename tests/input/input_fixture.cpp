#include "tests/input/input_fixture.h"

#include <cstring>
#include <mutex>

#include "app/app.h"
#include "hooklib/vmh.h"
#include "mirror/mirror.h"
#include "settings/settings.h"
#include "testbed/recorder/pump.h"
#include "testbed/userinput/user_input.h"

// ---- Process-wide state the list view procedure reads, defined here because the test links the
// procedure alone. ----
HINSTANCE AppInstance = nullptr;
HWND MainWindow = nullptr;
HWND ProgmanWindow = nullptr;
HWND DesktopDefView = nullptr;
HWND DesktopListView = nullptr;
HWND MirrorWindow = nullptr;
HWND MirrorListView = nullptr;
WNDPROC SavedListViewProc = nullptr;
DesktopTable DesktopItemTable = {};
ScreenRect DesktopRect = {};
SnapshotBitmap DesktopSnapshot = {};
SnapshotBitmap MirrorPicture = {};
LONG IsMirrorVisible = 0;
HWND PreviousForegroundWindow = nullptr;

int FreedSnapshots = 0;
volatile bool DesktopSuspended = false;
void FreeDesktopSnapshot() { ++FreedSnapshots; }

static std::mutex RecordLock;
static std::vector<MessageRecord> DesktopRecord;
static std::vector<HideRequest> HideRecord;
static std::vector<std::string> TraceRecord;
static bool DispatchingToMain = false;

extern "C" BOOL WINAPI PostDesktopInput(HWND listView, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(listView, message, wParam, lParam);
}

extern "C" int WINAPI Dprint(const char* text) {
  std::lock_guard<std::mutex> lock(RecordLock);
  TraceRecord.push_back(text);
  return 1;
}

// The test's own messages to the desktop: a marker, which proves that everything posted to the
// desktop before it has been recorded, and a hang, which keeps the desktop's thread from taking
// messages until the event in lParam is set (or the limit passed), setting the one in wParam first.
constexpr UINT DESKTOP_MARKER = WM_APP + 1;
constexpr UINT DESKTOP_HANG = WM_APP + 2;
constexpr DWORD HANG_LIMIT_MS = 5000;
constexpr DWORD MARKER_WAIT_MS = 5000;
static volatile LONG DesktopMarkersTaken = 0;

// ---- The stand-in desktop: records every message, answers like a plain window. ----
static LRESULT CALLBACK RecordingDesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == DesktopListView && message == DESKTOP_MARKER) {
    InterlockedIncrement(&DesktopMarkersTaken);
    return 0;
  }
  if (window == DesktopListView && message == DESKTOP_HANG) {
    DesktopSuspended = true;
    SetEvent(reinterpret_cast<HANDLE>(wParam));
    WaitForSingleObject(reinterpret_cast<HANDLE>(lParam), HANG_LIMIT_MS);
    DesktopSuspended = false;
    return 0;
  }
  if (window == DesktopListView) {
    std::lock_guard<std::mutex> lock(RecordLock);
    DesktopRecord.push_back(
        {message, InSendMessage() ? 0u : 1u, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)});
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI DesktopThread(void* ready) {
  ProgmanWindow = CreateWindowExA(0, "InputTestDesktop", "Program Manager", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, AppInstance, nullptr);
  DesktopListView = CreateWindowExA(0, "InputTestDesktop", "", WS_CHILD, 0, 0, 10, 10, ProgmanWindow, nullptr,
                                    AppInstance, nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyWindow(ProgmanWindow);
  return 0;
}

// Posts a marker to the desktop and waits until the desktop has taken it.
static bool DesktopCaughtUp() {
  LONG before = DesktopMarkersTaken;
  PostMessageA(DesktopListView, DESKTOP_MARKER, 0, 0);
  DWORD start = GetTickCount();
  while (DesktopMarkersTaken == before) {
    if (GetTickCount() - start > MARKER_WAIT_MS) return false;
    Sleep(1);
  }
  return true;
}

void HangDesktop(HANDLE entered, HANDLE release) {
  PostMessageA(DesktopListView, DESKTOP_HANG, reinterpret_cast<WPARAM>(entered),
               reinterpret_cast<LPARAM>(release));
}

// ---- MainWindow: records the hide requests. ----
static LRESULT CALLBACK RecordingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && wParam == MIRROR_REQUEST_WPARAM && lParam == MIRROR_HIDE) {
    bool sent = !DispatchingToMain;
    // Let anything already posted to the live desktop arrive, so that the order shows.
    if (!DesktopSuspended) DesktopCaughtUp();
    std::lock_guard<std::mutex> lock(RecordLock);
    HideRecord.push_back({sent, DesktopRecord.size(), DesktopSuspended});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateMirrorListView(HWND parent) {
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", 0x52002A60, 0, 0, MIRROR_WIDTH, MIRROR_HEIGHT, parent,
                              nullptr, AppInstance, nullptr);
  SavedListViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MirrorListViewProc)));
  return list;
}

void MirrorInputTest::SetUp() {
  AppInstance = GetModuleHandleA(nullptr);
  InitCommonControls();
  static bool registered = false;
  if (!registered) {
    WNDCLASSA desktop = {};
    desktop.lpfnWndProc = RecordingDesktopProc;
    desktop.hInstance = AppInstance;
    desktop.lpszClassName = "InputTestDesktop";
    RegisterClassA(&desktop);
    WNDCLASSA main = desktop;
    main.lpfnWndProc = RecordingMainProc;
    main.lpszClassName = "InputTestMain";
    RegisterClassA(&main);
    WNDCLASSA plain = desktop;
    plain.lpfnWndProc = DefWindowProcA;
    plain.lpszClassName = "InputTestPlain";
    plain.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&plain);
    registered = true;
  }
  ClearRecords();
  FreedSnapshots = 0;

  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  desktopThread_ = CreateThread(nullptr, 0, DesktopThread, ready, 0, &desktopThreadId_);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 5000));
  CloseHandle(ready);

  MainWindow = CreateWindowExA(0, "InputTestMain", "Velmo", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               AppInstance, nullptr);
  otherWindow_ = CreateWindowExA(0, "InputTestPlain", "other", WS_POPUP | WS_VISIBLE, 900, 650, 100, 100,
                                 nullptr, nullptr, AppInstance, nullptr);

  images_ = ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 1, 1);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  ImageList_AddIcon(images_, icon);

  DesktopRect = {MIRROR_LEFT, MIRROR_TOP, MIRROR_WIDTH, MIRROR_HEIGHT};
  mirrorWindow_ =
      CreateWindowExA(WS_EX_TOPMOST, "InputTestPlain", "Velmo", WS_POPUP | WS_CLIPCHILDREN, MIRROR_LEFT,
                      MIRROR_TOP, MIRROR_WIDTH, MIRROR_HEIGHT, MainWindow, nullptr, AppInstance, nullptr);
  MirrorListView = CreateMirrorListView(mirrorWindow_);
  SendMessageA(MirrorListView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
  SendMessageA(MirrorListView, LVM_SETBKCOLOR, 0, CLR_NONE);
  const char* names[] = {"Mail", "Notes", "Games"};
  DesktopItemTable.count = 3;
  for (int i = 0; i < 3; ++i) {
    DesktopItem& record = DesktopItemTable.items[i];
    record = DesktopItem{};
    record.x = ICON_POSITIONS[i].x;
    record.y = ICON_POSITIONS[i].y;
    strcpy(record.name, names[i]);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.pszText = record.name;
    item.lParam = i;
    record.listIndex =
        static_cast<LONG>(SendMessageA(MirrorListView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    SendMessageA(MirrorListView, LVM_SETITEMPOSITION, record.listIndex, MAKELPARAM(record.x, record.y));
  }

  Settings.KillFocus = 1;
  Settings.NoMatchHit = 1;
  Settings.Escape = 1;
  IsMirrorVisible = 1;
  PreviousForegroundWindow = otherWindow_;
  ShowWindow(mirrorWindow_, SW_SHOWNORMAL);
  SetForegroundWindow(mirrorWindow_);
  SetFocus(MirrorListView);
  testbed::WaitUntil([&] { return GetForegroundWindow() == mirrorWindow_; }, MARKER_WAIT_MS);
  Settle();
  ClearRecords();
}

void MirrorInputTest::TearDown() {
  Key(VK_SHIFT, true);
  Key(VK_CONTROL, true);
  if (mirrorWindow_ != nullptr) DestroyWindow(mirrorWindow_);
  DestroyWindow(otherWindow_);
  DestroyWindow(MainWindow);
  MainWindow = nullptr;
  PostThreadMessageA(desktopThreadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(desktopThread_, 5000);
  CloseHandle(desktopThread_);
  ImageList_Destroy(images_);
  DesktopItemTable.count = 0;
  Pump(0);
}

void MirrorInputTest::Pump(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchingToMain = msg.hwnd == MainWindow && msg.hwnd != nullptr;
      DispatchMessageA(&msg);
      DispatchingToMain = false;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

void MirrorInputTest::WaitForDesktop(UINT message, size_t count) {
  DWORD start = GetTickCount();
  while (DesktopMessages(message).size() < count && GetTickCount() - start < MARKER_WAIT_MS) Pump(0);
  Settle();  // and whatever was sent with it
}

void MirrorInputTest::Settle() {
  Pump(0);
  EXPECT_TRUE(DesktopCaughtUp()) << "the desktop took no marker";
  Pump(0);
}

std::vector<MessageRecord> MirrorInputTest::DesktopMessages(UINT first, UINT last) const {
  std::lock_guard<std::mutex> lock(RecordLock);
  std::vector<MessageRecord> found;
  for (const MessageRecord& record : DesktopRecord) {
    if (record.message >= first && record.message <= last) found.push_back(record);
  }
  return found;
}

std::vector<HideRequest> MirrorInputTest::HideRequests() const {
  std::lock_guard<std::mutex> lock(RecordLock);
  return HideRecord;
}

std::vector<std::string> MirrorInputTest::TraceLines() const {
  std::lock_guard<std::mutex> lock(RecordLock);
  return TraceRecord;
}

void MirrorInputTest::ClearRecords() {
  std::lock_guard<std::mutex> lock(RecordLock);
  DesktopRecord.clear();
  HideRecord.clear();
  TraceRecord.clear();
}

int MirrorInputTest::ListIndex(int record) const {
  LVFINDINFOA find = {};
  find.flags = LVFI_PARAM;
  find.lParam = record;
  return static_cast<int>(
      SendMessageA(MirrorListView, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool MirrorInputTest::IsSelected(int item) const {
  return SendMessageA(MirrorListView, LVM_GETITEMSTATE, ListIndex(item), LVIS_SELECTED) != 0;
}

void MirrorInputTest::SelectOnly(int item) const {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, ListIndex(item), reinterpret_cast<LPARAM>(&state));
}

void MirrorInputTest::MoveTo(POINT client) const {
  testbed::SendMouse(0, {MIRROR_LEFT + client.x, MIRROR_TOP + client.y});
}

void MirrorInputTest::Click(POINT client, DWORD downFlag, DWORD upFlag) const {
  testbed::ClickAt({MIRROR_LEFT + client.x, MIRROR_TOP + client.y}, downFlag, upFlag);
}

void MirrorInputTest::DoubleClick(POINT client) const {
  Click(client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Click(client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void MirrorInputTest::Key(WORD vk, bool up) const { testbed::SendKey(vk, up); }
