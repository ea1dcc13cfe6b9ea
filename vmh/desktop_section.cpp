// The shell's side of the desktop reader: runs in the process that owns the desktop list view,
// on its thread, and copies the items and the pictures they show into the caller's section.
#include "vmh/desktop_section.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "vmh/ansi_text.h"
#include "vmh/memory_stream.h"
#include "vmh/used_images.h"

constexpr char READ_DESKTOP_MESSAGE_NAME[] = "VmhReadDesktop";
constexpr char SECTION_NAME_FORMAT[] = "Local\\VmhDesktop.%lu.%lu";
constexpr char DONE_EVENT_NAME_FORMAT[] = "Local\\VmhDesktop.%lu.%lu.Done";
constexpr int ITEM_TEXT_BUFFER_SIZE = 1024;

void DesktopSectionName(char* name, size_t size, DWORD processId, DWORD sequence) {
  snprintf(name, size, SECTION_NAME_FORMAT, static_cast<unsigned long>(processId),
           static_cast<unsigned long>(sequence));
}

void DesktopDoneEventName(char* name, size_t size, DWORD processId, DWORD sequence) {
  snprintf(name, size, DONE_EVENT_NAME_FORMAT, static_cast<unsigned long>(processId),
           static_cast<unsigned long>(sequence));
}

UINT ReadDesktopMessage() {
  static UINT message = RegisterWindowMessageA(READ_DESKTOP_MESSAGE_NAME);
  return message;
}

// The list view's own window procedure, called directly: we are on its thread. A sent message costs
// the same here, unless some program watches the shell's thread with a WH_CALLWNDPROC hook: then
// every message sent in the process takes a round trip to the server, 1,024 items some 200 ms.
static LRESULT CallListView(HWND listView, WNDPROC procedure, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(procedure, listView, message, wParam, lParam);
}

static void FillItem(HWND listView, WNDPROC procedure, int index, DesktopItem& record) {
  char text[ITEM_TEXT_BUFFER_SIZE] = "";
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  CallListView(listView, procedure, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  POINT position = {0, 0};
  CallListView(listView, procedure, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&position));
  record.x = position.x;
  record.y = position.y;
  CopyTextWhole(record.name, sizeof record.name, text, sizeof text);
  record.image = item.iImage;
  record.shellImage = item.iImage;
  record.listIndex = 0;
}

// The font the list view draws its labels with; a list view answers WM_GETFONT with the font it
// was given, or with the one it made for itself.
static void FillFont(HWND listView, WNDPROC procedure, DesktopSectionHeader& header) {
  header.fontFound = 0;
  auto font = reinterpret_cast<HFONT>(CallListView(listView, procedure, WM_GETFONT, 0, 0));
  LOGFONTA described = {};
  if (font == nullptr || GetObjectA(font, sizeof described, &described) != sizeof described) return;
  header.font = described;
  header.fontFound = 1;
}

void FillDesktopSection(HWND listView, void* view, size_t viewSize) {
  auto* header = static_cast<DesktopSectionHeader*>(view);
  // The request comes from another process: its sizes must describe this view.
  if (viewSize < sizeof *header || header->magic != DESKTOP_SECTION_MAGIC || header->size > viewSize ||
      header->capacity > MAX_SECTION_RECORDS ||
      header->imageOffset != DesktopSectionImageOffset(header->capacity) ||
      header->imageOffset > header->size)
    return;
  auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(listView, GWLP_WNDPROC));
  auto* records = reinterpret_cast<DesktopItem*>(static_cast<BYTE*>(view) + sizeof *header);
  int total = static_cast<int>(CallListView(listView, procedure, LVM_GETITEMCOUNT, 0, 0));
  uint32_t count = total > 0 ? static_cast<uint32_t>(total) : 0;
  if (count > header->capacity) count = header->capacity;
  for (uint32_t i = 0; i < count; ++i) FillItem(listView, procedure, static_cast<int>(i), records[i]);
  header->count = count;
  FillFont(listView, procedure, *header);

  auto images =
      reinterpret_cast<HIMAGELIST>(CallListView(listView, procedure, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  header->imageBytes = 0;
  header->imageNeeded = 0;
  if (images != nullptr) {
    // Only the pictures the items show; the whole list when they cannot be copied.
    ImageListCalls calls = ImageListCallsOf(listView);
    HIMAGELIST used = CopyUsedImages(calls, images, records, count);
    MemoryStream stream(static_cast<BYTE*>(view) + header->imageOffset, header->size - header->imageOffset);
    bool written = calls.write(used != nullptr ? used : images, &stream) != FALSE;
    if (used != nullptr) calls.destroy(used);
    header->imageNeeded = static_cast<uint32_t>(stream.Extent());
    if (written && !stream.Overflowed()) header->imageBytes = header->imageNeeded;
  }
  header->filled = 1;
}

static void AnswerRequest(HWND listView, DWORD processId, DWORD sequence) {
  char name[DESKTOP_SECTION_NAME_SIZE];
  DesktopSectionName(name, sizeof name, processId, sequence);
  HANDLE section = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (section == nullptr) return;  // the caller gave up already
  void* view = MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
  if (view != nullptr) {
    MEMORY_BASIC_INFORMATION region = {};
    if (VirtualQuery(view, &region, sizeof region) == sizeof region)
      FillDesktopSection(listView, view, region.RegionSize);
    UnmapViewOfFile(view);
  }
  CloseHandle(section);
  DesktopDoneEventName(name, sizeof name, processId, sequence);
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (done != nullptr) {
    SetEvent(done);
    CloseHandle(done);
  }
}

LRESULT CALLBACK DesktopReaderHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    // Only on the list view's own thread: a hook that the system runs on behalf of another process
    // (a 32-bit library and a 64-bit shell) must not call the shell's window procedure.
    if (message->message == ReadDesktopMessage() && message->hwnd != nullptr &&
        GetWindowThreadProcessId(message->hwnd, nullptr) == GetCurrentThreadId()) {
      AnswerRequest(message->hwnd, static_cast<DWORD>(message->wParam), static_cast<DWORD>(message->lParam));
      message->message = WM_NULL;  // the list view never sees the request
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
