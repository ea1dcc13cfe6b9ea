// Process-wide state of the application shell: the main window, the shell's desktop windows, the
// optional AlphaBlend entry point and the tray menu.
#pragma once

#include <windows.h>

constexpr char MAIN_WINDOW_CLASS[] = "Velmo Main";
constexpr char MAIN_WINDOW_TITLE[] = "Velmo";

constexpr UINT_PTR STARTUP_REFRESH_TIMER = 999;
constexpr UINT STARTUP_REFRESH_DELAY_MS = 5000;

// After a change of the display, the mirror is rebuilt once the changes have settled this long.
constexpr UINT_PTR DISPLAY_SETTLE_TIMER = 1000;
constexpr UINT DISPLAY_SETTLE_DELAY_MS = 500;

// The notification area may not be ready at sign-in: adding the icon is tried again this often.
constexpr UINT_PTR TRAY_RETRY_TIMER = 1001;
constexpr UINT TRAY_RETRY_DELAY_MS = 2000;
constexpr int TRAY_ADD_ATTEMPTS = 10;

constexpr UINT WM_TRAYNOTIFY = WM_USER + 10;
// Posted to MainWindow: tell the user that signing out finishes an update (sign_out_notice.cpp).
constexpr UINT WM_SIGN_OUT_NOTICE = WM_APP + 1;
constexpr UINT TRAY_ICON_ID = 104;

// wParam of a show or hide request that does not come from a menu: IDM_TOGGLE_MIRROR with 1 in
// the high word. lParam says what is asked.
constexpr WPARAM MIRROR_REQUEST_WPARAM = 0x00019C41;
constexpr LPARAM MIRROR_TOGGLE = 0;
constexpr LPARAM MIRROR_SHOW = 1;
constexpr LPARAM MIRROR_HIDE = 2;

typedef BOOL(WINAPI* AlphaBlendFunction)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

extern HINSTANCE AppInstance;
extern HWND MainWindow;

// The shell's desktop as the lookup found it: the "Progman" window, the view that hosts the icons,
// and the icon list view.
extern HWND ProgmanWindow;
extern HWND DesktopDefView;
extern HWND DesktopListView;

extern HMODULE Msimg32Module;
extern AlphaBlendFunction AlphaBlendProc;

extern HMENU TrayMenu;
extern HMENU TrayPopup;

// Looks up the three desktop handles (FindDesktopWindows) and stores them as they come, null or not.
void LookUpDesktopHandles();

// The whole life of the program after the C runtime's start-up; WinMain only forwards to it.
int RunVelmo(HINSTANCE instance);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The shell still holds an older Velmo's hook library (ShellAwaitsSignOut). The user is told once
// after the build that found it, and again at each request to show the mirror; one notice at a time.
void NoticeSignOutOnce(HWND window);
void ShowSignOutNotice();

int AddTrayIcon(HWND window);
// Adds the icon with the image of the mirror's state. When the notification area refuses it, the
// add is tried again on TRAY_RETRY_TIMER, TRAY_ADD_ATTEMPTS times in all; "TaskbarCreated" starts
// the tries afresh.
void AddTrayIconWithRetries(HWND window);
void RetryTrayIcon(HWND window);
// Lets "TaskbarCreated" reach the window also when the program runs elevated.
void LetTaskbarCreatedThrough(HWND window);
void SetTrayIcon(int state);
int DeleteTrayIcon();
