#include "testbed/shelldesk/sample_desktop.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

constexpr char JAPANESE_TEXT[] = "これはデスクトップの見本のテキストです。\r\n";
constexpr char ASCII_TEXT[] = "A text file on the sample desktop.\r\n";
constexpr char NOTEPAD[] = "\\notepad.exe";
constexpr char SHORTCUT_DESCRIPTION[] = "メモ帳";

static bool WriteText(const std::string& path, const char* text) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
  return ok && written == strlen(text);
}

static bool SaveShortcut(const char* target, const std::string& path) {
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return false;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  IPersistFile* file = nullptr;
  bool saved = SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetDescription(SHORTCUT_DESCRIPTION)) &&
               SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
               SUCCEEDED(file->Save(widePath, TRUE));
  if (file != nullptr) file->Release();
  link->Release();
  return saved;
}

// Wine's menu builder turns a shortcut saved on the desktop into a Unix .desktop file beside it:
// the shortcut is saved in the temporary folder and moved in.
static bool MakeShortcut(const std::string& path) {
  char target[MAX_PATH];
  UINT length = GetSystemDirectoryA(target, sizeof target);
  if (length == 0 || length + sizeof NOTEPAD > sizeof target) return false;
  strcat(target, NOTEPAD);
  char scratch[MAX_PATH];
  length = GetTempPathA(sizeof scratch, scratch);
  if (length == 0 || length + sizeof SAMPLE_SHORTCUT > sizeof scratch) return false;
  strcat(scratch, SAMPLE_SHORTCUT);
  return SaveShortcut(target, scratch) && MoveFileExA(scratch, path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool MakeSampleDesktop(const std::string& folder) {
  std::string base = folder + "\\";
  std::string subfolder = base + SAMPLE_FOLDER;
  bool folderMade = CreateDirectoryA(subfolder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  return folderMade && WriteText(base + SAMPLE_JAPANESE_TEXT, JAPANESE_TEXT) &&
         WriteText(base + SAMPLE_ASCII_TEXT, ASCII_TEXT) && MakeShortcut(base + SAMPLE_SHORTCUT);
}
