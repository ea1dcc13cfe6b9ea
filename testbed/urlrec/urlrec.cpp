// Stands in for the browser and the html viewer in the test prefix. The shell starts it as
//   urlrec.exe LOG TARGET
// and it appends one line to LOG: the show command it was started with (-1 when none was given),
// a tab, and TARGET. It shows no window and starts nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 1;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int showCommand = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;

  char line[2048];
  int length = snprintf(line, sizeof line, "%d\t%s\r\n", showCommand, __argv[2]);
  if (length < 0 || static_cast<size_t>(length) >= sizeof line) return 1;

  HANDLE log = CreateFileA(__argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(log);
  return ok ? 0 : 1;
}
