// The options and About dialogs, and handing pages to the shell.
#pragma once

#include <windows.h>

extern const char HomePageUrl[];

extern HWND OptionsDialog;
extern HWND AboutDialogWindow;

int OpenOptionsDialog(HWND owner);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeyCaptureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int OpenAboutDialog(HWND owner);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

int OpenUrl(const char* target);
void OpenHelpPage();
// The product home page; the installed help page of the language in use when the build was given
// none.
void OpenHomePage();
