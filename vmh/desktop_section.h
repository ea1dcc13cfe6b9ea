// The shared memory section through which the shell's process hands the desktop icons to the
// caller of GetDeskTopData. The caller makes the section and names it after its process id and a
// sequence number; the reader hook in the shell's process fills it and signals the done event.
//
//   header | capacity DesktopItem records | image list stream (ImageList_Write format)
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "hooklib/vmh.h"

// "VMH2": the header carries the list view's font. A library of the first layout ("VMH1") still
// loaded in the shell refuses the request at once, and the fetch fails instead of misreading it.
constexpr uint32_t DESKTOP_SECTION_MAGIC = 0x32484D56;
constexpr int DESKTOP_SECTION_NAME_SIZE = 64;
constexpr uint32_t MAX_SECTION_RECORDS = 65536;  // more than any desktop holds

struct DesktopSectionHeader {
  uint32_t magic;
  uint32_t size;         // bytes of the whole section, set by the caller
  uint32_t capacity;     // records the caller made room for
  uint32_t imageOffset;  // where the image list stream starts
  // Written by the shell's side:
  uint32_t count;        // records written
  uint32_t imageBytes;   // bytes of the image list stream, 0 when there is none or it did not fit
  uint32_t imageNeeded;  // bytes the whole stream takes (more than the room: ask again with more)
  uint32_t filled;       // 1 once the shell's side is done
  uint32_t fontFound;    // 1 when font holds the font the list view draws its labels with
  LOGFONTA font;
};

static_assert(sizeof(DesktopSectionHeader) == 96, "section header layout");

inline size_t DesktopSectionImageOffset(uint32_t capacity) {
  size_t end = sizeof(DesktopSectionHeader) + static_cast<size_t>(capacity) * sizeof(DesktopItem);
  return (end + 15) & ~static_cast<size_t>(15);
}

// "Local\VmhDesktop.<process>.<sequence>" and its done event "...Done".
void DesktopSectionName(char* name, size_t size, DWORD processId, DWORD sequence);
void DesktopDoneEventName(char* name, size_t size, DWORD processId, DWORD sequence);

// The registered message posted to the desktop list view that asks the reader hook for the data:
// wParam is the caller's process id, lParam the sequence number.
UINT ReadDesktopMessage();

// The WH_GETMESSAGE hook that runs on the list view's thread, in the shell's process.
LRESULT CALLBACK DesktopReaderHookProc(int code, WPARAM wParam, LPARAM lParam);

// Fills an open section from the list view; runs on the list view's own thread.
void FillDesktopSection(HWND listView, void* view, size_t viewSize);
