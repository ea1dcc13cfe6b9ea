// GetDeskTopData: the desktop icons, read out of the shell's list view. The list view lives in the
// shell's process, so a message hook on its thread loads this library there; the hook copies the
// items and writes the pictures they show into a section made here, and ImageList_Read makes the
// caller's own image list from them.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "hooklib/vmh.h"
#include "vmh/ansi_text.h"
#include "vmh/desktop_section.h"
#include "vmh/desktop_window.h"
#include "vmh/memory_stream.h"
#include "vmh/shared_object_security.h"
#include "vmh/vmh_module.h"

constexpr DWORD SHELL_ANSWER_TIMEOUT_MS = 2000;
constexpr uint32_t FIRST_IMAGE_ROOM = 1024 * 1024;      // a large section costs time to make
constexpr uint32_t MAX_IMAGE_ROOM = 256 * 1024 * 1024;  // a larger answer is not believed

static volatile LONG RequestSequence = 0;
// The room the last image list took: a desktop rarely changes between fetches, so the next one
// usually fits at the first try.
static volatile LONG LastImageRoom = 0;
// The desktop list view's font as the last fetch found it (GetDesktopFont).
static LOGFONTA LastFont;
static bool LastFontFound = false;

// Room for the image list at the first try: what it took last time, and at least one large icon
// in 32 bits with its mask for each item (the count is a plain value, asked across processes).
static uint32_t FirstImageRoom(HWND listView, DWORD deadline) {
  uint32_t last = static_cast<uint32_t>(LastImageRoom);
  uint32_t room = last + last / 8;
  DWORD_PTR items = 0;
  LONG left = static_cast<LONG>(deadline - GetTickCount());
  if (left > 0 &&
      SendMessageTimeoutA(listView, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(left),
                          &items) != 0 &&
      items < MAX_SECTION_RECORDS) {
    uint32_t pixels = static_cast<uint32_t>(GetSystemMetrics(SM_CXICON) * GetSystemMetrics(SM_CYICON));
    uint32_t estimate = static_cast<uint32_t>(items) * (pixels * 4 + pixels / 8) + FIRST_IMAGE_ROOM / 8;
    if (estimate > room) room = estimate;
  }
  return room > FIRST_IMAGE_ROOM ? room : FIRST_IMAGE_ROOM;
}

// One request's section, mapped in this process; released with it.
struct DesktopRequest {
  HANDLE section = nullptr;
  HANDLE done = nullptr;
  DesktopSectionHeader* header = nullptr;
  DWORD sequence = 0;
  // This side's own record of the layout; the shell's process can write the header too.
  uint32_t capacity = 0;
  uint32_t size = 0;
  uint32_t imageOffset = 0;

  DesktopRequest() = default;
  DesktopRequest(const DesktopRequest&) = delete;
  DesktopRequest& operator=(const DesktopRequest&) = delete;
  ~DesktopRequest() {
    if (header != nullptr) UnmapViewOfFile(header);
    if (section != nullptr) CloseHandle(section);
    if (done != nullptr) CloseHandle(done);
  }

  bool Create(uint32_t records, uint32_t imageRoom) {
    sequence = static_cast<DWORD>(InterlockedIncrement(&RequestSequence));
    capacity = records;
    imageOffset = static_cast<uint32_t>(DesktopSectionImageOffset(records));
    size = imageOffset + imageRoom;
    char name[DESKTOP_SECTION_NAME_SIZE];
    DesktopSectionName(name, sizeof name, GetCurrentProcessId(), sequence);
    SharedObjectSecurity security;
    section = CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0, size, name);
    if (section == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return false;  // not ours
    header = static_cast<DesktopSectionHeader*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, size));
    DesktopDoneEventName(name, sizeof name, GetCurrentProcessId(), sequence);
    done = CreateEventA(security.Attributes(), TRUE, FALSE, name);
    if (header == nullptr || done == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return false;
    memset(header, 0, sizeof *header);
    header->size = size;
    header->capacity = capacity;
    header->imageOffset = imageOffset;
    header->magic = DESKTOP_SECTION_MAGIC;
    return true;
  }
};

// Asks the list view's thread to fill the request, waiting at most until deadline.
static bool AskShell(HWND listView, DesktopRequest& request, DWORD deadline) {
  DWORD shellThread = GetWindowThreadProcessId(listView, nullptr);
  if (shellThread == 0) return false;
  if (shellThread == GetCurrentThreadId()) {  // our own list view: no process to cross
    FillDesktopSection(listView, request.header, request.size);
    return request.header->filled == 1;
  }
  if (ShellHoldsOtherLibrary(listView)) return false;
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, DesktopReaderHookProc, VmhModule, shellThread);
  if (hook == nullptr) return false;
  bool answered = false;
  if (PostMessageA(listView, ReadDesktopMessage(), GetCurrentProcessId(), request.sequence)) {
    LONG left = static_cast<LONG>(deadline - GetTickCount());
    answered = left > 0 && WaitForSingleObject(request.done, static_cast<DWORD>(left)) == WAIT_OBJECT_0;
  }
  UnhookWindowsHookEx(hook);
  return answered;
}

// Copies what the shell wrote, believing none of its sizes beyond what this side made room for.
static void TakeAnswer(const DesktopRequest& request, HIMAGELIST* imageList, DWORD* count,
                       DesktopItem* items) {
  const volatile DesktopSectionHeader& header = *request.header;
  uint32_t written = header.count;
  uint32_t taken = written < request.capacity ? written : request.capacity;
  const auto* records = reinterpret_cast<const DesktopItem*>(reinterpret_cast<const BYTE*>(request.header) +
                                                             sizeof(DesktopSectionHeader));
  for (uint32_t i = 0; i < taken; ++i) {
    items[i].x = records[i].x;
    items[i].y = records[i].y;
    CopyTextWhole(items[i].name, sizeof items[i].name, records[i].name, sizeof records[i].name);
    items[i].image = records[i].image;
    items[i].shellImage = records[i].shellImage;
  }
  *count = taken;
  if (header.fontFound == 1) {
    memcpy(&LastFont, const_cast<const LOGFONTA*>(&header.font), sizeof LastFont);
    LastFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    LastFontFound = true;
  }
  uint32_t room = request.size - request.imageOffset;
  uint32_t imageBytes = header.imageBytes;
  if (imageBytes == 0 || imageBytes > room) return;
  MemoryStream stream(reinterpret_cast<BYTE*>(request.header) + request.imageOffset, room, imageBytes);
  *imageList = ImageList_Read(&stream);
}

typedef BOOL(WINAPI* IsWow64ProcessProc)(HANDLE, PBOOL);

// A 32-bit library on 64-bit Windows, where the shell is 64-bit: its hook cannot enter the shell's
// process, and the system would run it on this thread instead while the shell's desktop thread
// waits for it. (Looked up at run time: older 32-bit systems lack the function and are not WOW64.)
bool ShellOutOfReach() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
  auto isWow64 = reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void*>(found));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

extern "C" BOOL WINAPI GetDeskTopData(HIMAGELIST* imageList, DWORD* count, DesktopItem* items,
                                      DWORD capacity) {
  if (imageList == nullptr || count == nullptr || (items == nullptr && capacity != 0)) return FALSE;
  *imageList = nullptr;
  *count = 0;
  LastFontFound = false;
  if (ShellOutOfReach()) return FALSE;
  HWND listView = FindDesktopListView();
  if (listView == nullptr) return FALSE;
  uint32_t records = capacity < MAX_SECTION_RECORDS ? capacity : MAX_SECTION_RECORDS;
  DWORD deadline = GetTickCount() + SHELL_ANSWER_TIMEOUT_MS;
  uint32_t firstRoom = FirstImageRoom(listView, deadline);
  uint32_t imageRoom = firstRoom;
  for (;;) {
    DesktopRequest request;
    if (!request.Create(records, imageRoom) || !AskShell(listView, request, deadline)) return FALSE;
    uint32_t needed = request.header->imageNeeded;
    bool tooSmall = needed > imageRoom;
    if (needed <= MAX_IMAGE_ROOM) InterlockedExchange(&LastImageRoom, static_cast<LONG>(needed));
    if (!tooSmall || needed > MAX_IMAGE_ROOM || imageRoom != firstRoom) {
      TakeAnswer(request, imageList, count, items);
      return *count != 0 && *imageList != nullptr;
    }
    imageRoom = needed;  // once more, with room for the whole image list
  }
}

extern "C" BOOL WINAPI GetDesktopFont(LOGFONTA* font) {
  if (font == nullptr || !LastFontFound) return FALSE;
  *font = LastFont;
  return TRUE;
}
