// What the tray recorder (trayrec.exe) keeps of each Shell_NotifyIcon call, in a fixed layout in
// shared memory that the test's client reads, and the private messages that drive the recorder.
#pragma once

#include <windows.h>

#include <cstdint>

namespace testbed {

constexpr char TRAY_WINDOW_CLASS[] = "Shell_TrayWnd";  // the class Shell_NotifyIcon looks for
constexpr char TRAY_RECORDER_TITLE[] = "Velmo tray recorder";
constexpr char TRAY_LOG_MAPPING[] = "VelmoTrayRecorderLog";
constexpr char TRAY_LOG_MUTEX[] = "VelmoTrayRecorderLock";
constexpr char TASKBAR_CREATED_MESSAGE[] = "TaskbarCreated";

// Sent to the recorder's window by the client.
constexpr UINT TRAYREC_CLEAR = WM_APP + 1;          // forget the records; returns 1
constexpr UINT TRAYREC_RESTART_SHELL = WM_APP + 2;  // forget the icons, broadcast "TaskbarCreated"; returns 1
constexpr UINT TRAYREC_ICON_COUNT = WM_APP + 3;     // returns the number of icons now shown

constexpr int TRAY_TIP_SIZE = 256;    // the 128-character tip in the ANSI code page
constexpr int TRAY_PIXELS_SIDE = 32;  // icons up to 32 x 32 keep their pixels
constexpr uint32_t TRAY_LOG_CAPACITY = 256;
constexpr uint32_t TRAY_LOG_MAGIC = 0x54524543;  // "TREC"

struct TrayRecord {
  uint32_t sequence;         // 0, 1, 2 ... since the recorder started or was cleared
  uint32_t action;           // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETFOCUS, NIM_SETVERSION
  uint32_t result;           // what the recorder answered, as Windows would: 0 for a second add of
                             // the same icon and for a change or removal of an unknown one
  uint32_t senderProcessId;  // the process that owns window
  uint64_t window;           // hWnd of the call
  uint32_t id;               // uID
  uint32_t flags;            // uFlags
  uint32_t callbackMessage;  // uCallbackMessage (0 without NIF_MESSAGE)
  uint32_t iconWidth;        // 0 without NIF_ICON or when the icon could not be read
  uint32_t iconHeight;
  uint32_t iconBitsPerPixel;
  uint32_t iconHash;  // FNV-1a of the icon's BGRA pixels (see IconImage)
  uint32_t reserved;
  char tip[TRAY_TIP_SIZE];  // szTip in the ANSI code page, NUL-terminated ("" without NIF_TIP)
  uint32_t pixels[TRAY_PIXELS_SIDE * TRAY_PIXELS_SIDE];  // BGRA rows, top first, iconWidth wide
};

static_assert(sizeof(TrayRecord) == 56 + TRAY_TIP_SIZE + 4 * TRAY_PIXELS_SIDE * TRAY_PIXELS_SIDE,
              "TrayRecord crosses processes");

struct TrayLog {
  uint32_t magic;
  uint32_t count;  // records written since the last clear, also those that did not fit
  uint32_t reserved[2];
  TrayRecord records[TRAY_LOG_CAPACITY];
};

}  // namespace testbed
