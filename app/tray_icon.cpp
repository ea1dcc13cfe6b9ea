// The notification-area icon: added once, its image switched with the mirror's state, removed at
// the end. The record keeps its first, smallest layout, which every shell understands.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/app.h"
#include "app/tray_icon.h"
#include "mirror/mirror.h"
#include "res/resource.h"

NOTIFYICONDATAA TrayIconData;

constexpr char TRAY_TIP[] = "Velmo";
constexpr int TRAY_STATE_ACTIVE = 1;

// The first record layout: 88 bytes in 32-bit code, 104 in 64-bit code.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104), "first record layout");
static_assert(sizeof TRAY_TIP <= sizeof TrayIconData.szTip, "the tip fits the first record's field");

constexpr int TRAY_STATE_IDLE = 0;
constexpr int TRAY_IDLE_IMAGE = 0;
constexpr int TRAY_ACTIVE_IMAGE = 1;
constexpr int TRAY_IMAGE_COUNT = 2;

// The two tray images, loaded as icons of our own the first time they are needed and kept until
// the icon is removed: loading a fresh image at every switch costs memory that destroying it does
// not give back (under Wine 220 to 260 bytes per show and hide).
static HICON TrayImages[TRAY_IMAGE_COUNT];

static HICON TrayImage(int state) {
  int index = state == TRAY_STATE_ACTIVE ? TRAY_ACTIVE_IMAGE : TRAY_IDLE_IMAGE;
  if (TrayImages[index] == nullptr) {
    int id = index == TRAY_ACTIVE_IMAGE ? IDI_TRAY_ACTIVE : IDI_TRAY_IDLE;
    TrayImages[index] =
        static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
  }
  return TrayImages[index];
}

static void ReleaseTrayImages() {
  for (HICON& image : TrayImages) {
    if (image != nullptr) DestroyIcon(image);
    image = nullptr;
  }
  TrayIconData.hIcon = nullptr;
}

int AddTrayIcon(HWND window) {
  TrayIconData = NOTIFYICONDATAA{};
  TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayIconData.hWnd = window;
  TrayIconData.uID = TRAY_ICON_ID;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = WM_TRAYNOTIFY;
  TrayIconData.hIcon = TrayImage(TRAY_STATE_IDLE);
  memcpy(TrayIconData.szTip, TRAY_TIP, sizeof TRAY_TIP);
  return Shell_NotifyIconA(NIM_ADD, &TrayIconData);
}

void SetTrayIcon(int state) {
  TrayIconData.hIcon = TrayImage(state);
  Shell_NotifyIconA(NIM_MODIFY, &TrayIconData);
}

int DeleteTrayIcon() {
  Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
  ReleaseTrayImages();
  return 1;
}

// Tries left before the tray retries stop; a "TaskbarCreated" starts them afresh.
static int TrayAttemptsLeft = 0;

// The icon is there: newly added, or (after a "TaskbarCreated" that the notification area sent
// without forgetting its icons) still there from before. It shows the mirror's state.
static bool AddTrayIconInStep(HWND window) {
  bool shown = AddTrayIcon(window) != 0 || Shell_NotifyIconA(NIM_MODIFY, &TrayIconData) != FALSE;
  if (shown && IsMirrorVisible == 1) SetTrayIcon(TRAY_STATE_ACTIVE);
  return shown;
}

void AddTrayIconWithRetries(HWND window) {
  TrayAttemptsLeft = TRAY_ADD_ATTEMPTS;
  RetryTrayIcon(window);
}

void RetryTrayIcon(HWND window) {
  --TrayAttemptsLeft;
  if (AddTrayIconInStep(window) || TrayAttemptsLeft <= 0) {
    KillTimer(window, TRAY_RETRY_TIMER);
    return;
  }
  SetTimer(window, TRAY_RETRY_TIMER, TRAY_RETRY_DELAY_MS, nullptr);
}
