// Reading Wine's own Shell_NotifyIcon message. Wine's shell32 finds the tray with
// FindWindowExW(0, 0, "Shell_TrayWnd", 0) and sends it WM_COPYDATA (wParam: the icon's window;
// dwData: the NIM_ action) whose data is WineNotifyData, followed, with NIF_ICON, by the icon's
// mask bits and then its colour bits as GetBitmapBits gives them. This is not the record that
// Windows' shell receives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "testbed/tray/tray_record.h"

namespace testbed {

// The platform-independent record of Wine's shell32 (dlls/shell32/systray.c).
struct WineNotifyData {
  LONG hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeoutOrVersion;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
  UINT width;  // of the icon; 0 without one
  UINT height;
  UINT planes;
  UINT bpp;
};

static_assert(sizeof(WineNotifyData) == 960, "the same layout in 32-bit and 64-bit processes");

// An icon's picture, decoded from its mask and colour bits.
struct IconImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitsPerPixel = 0;     // of the colour bitmap; 1 for a monochrome icon
  std::vector<uint32_t> pixels;  // BGRA; alpha from the colour bits when they have one, else 0
                                 // where the mask is set and 255 elsewhere
  uint32_t hash = 0;             // FNV-1a of pixels
};

// Decodes GetBitmapBits output: mask (height rows, or 2 x height for a monochrome icon) and colour.
// Colour depths 32 and 24 give pixels; other depths give the hash of the raw colour bits only.
IconImage DecodeIconBits(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* mask,
                         size_t maskSize, const uint8_t* color, size_t colorSize);

// The picture of an icon of this process, read exactly as Wine's Shell_NotifyIcon reads it.
IconImage IconImageOf(HICON icon);

// Fills record from one WM_COPYDATA of Wine's Shell_NotifyIcon (everything but sequence, result
// and senderProcessId). False when the data is too short.
bool DecodeNotifyData(DWORD action, const void* data, size_t size, TrayRecord* record);

}  // namespace testbed
