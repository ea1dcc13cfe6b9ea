// The notification-area icon: added once, its image switched with the mirror's state, removed at
// the end. The record keeps its first, smallest layout, which every shell understands.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/app.h"
#include "app/tray_icon.h"
#include "res/resource.h"

NOTIFYICONDATAA TrayIconData;

constexpr char TRAY_TIP[] = "Velmo";
constexpr int TRAY_STATE_ACTIVE = 1;

// The first record layout: 88 bytes in 32-bit code, 104 in 64-bit code.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104), "first record layout");
static_assert(sizeof TRAY_TIP <= sizeof TrayIconData.szTip, "the tip fits the first record's field");

// Loads the tray image for the state as an icon of our own, so that it can be destroyed when it
// is replaced.
static HICON LoadTrayImage(int state) {
  int id = state == TRAY_STATE_ACTIVE ? IDI_TRAY_ACTIVE : IDI_TRAY_IDLE;
  return static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
}

static void ReleaseTrayImage() {
  if (TrayIconData.hIcon != nullptr) DestroyIcon(TrayIconData.hIcon);
  TrayIconData.hIcon = nullptr;
}

int AddTrayIcon(HWND window) {
  ReleaseTrayImage();
  TrayIconData = NOTIFYICONDATAA{};
  TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayIconData.hWnd = window;
  TrayIconData.uID = TRAY_ICON_ID;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = WM_TRAYNOTIFY;
  TrayIconData.hIcon = LoadTrayImage(0);
  memcpy(TrayIconData.szTip, TRAY_TIP, sizeof TRAY_TIP);
  return Shell_NotifyIconA(NIM_ADD, &TrayIconData);
}

void SetTrayIcon(int state) {
  ReleaseTrayImage();
  TrayIconData.hIcon = LoadTrayImage(state);
  Shell_NotifyIconA(NIM_MODIFY, &TrayIconData);
}

int DeleteTrayIcon() {
  Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
  ReleaseTrayImage();
  return 1;
}
