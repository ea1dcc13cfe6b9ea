// The files behind the stand-in desktop's items: plain files, .lnk shortcuts and .url files in a
// real folder, so that whatever looks for an item's file finds it.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

#include "testbed/standin/standin.h"

constexpr char LINK_EXTENSION[] = ".lnk";
constexpr char URL_EXTENSION[] = ".url";
constexpr char URL_CONTENT[] = "[InternetShortcut]\r\nURL=https://velmo.example/\r\n";
constexpr char LINK_TARGET[] = "\\notepad.exe";
constexpr int WIDE_PATH_SIZE = 1024;

std::string ItemFilePath(const StandinItem& item) {
  bool common = item.kind == STANDIN_COMMON_FILE || item.kind == STANDIN_COMMON_LINK;
  const std::string& folder = common ? Config.commonFolder : Config.folder;
  if (item.kind == STANDIN_PLAIN || folder.empty()) return std::string();
  std::string path = folder + "\\" + item.name;
  if (item.kind == STANDIN_LINK || item.kind == STANDIN_COMMON_LINK) path += LINK_EXTENSION;
  if (item.kind == STANDIN_URL) path += URL_EXTENSION;
  return path;
}

static void WriteFileText(const std::string& path, const char* text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return;  // a name too long for the file system: the item shows without a file
  fputs(text, file);
  fclose(file);
}

static void WriteShortcut(const std::string& path) {
  char target[MAX_PATH];
  UINT length = GetWindowsDirectoryA(target, sizeof target - sizeof LINK_TARGET);
  if (length == 0 || length >= sizeof target - sizeof LINK_TARGET) return;
  lstrcatA(target, LINK_TARGET);
  wchar_t widePath[WIDE_PATH_SIZE];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, WIDE_PATH_SIZE) == 0) return;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->SetPath(target)) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    file->Save(widePath, TRUE);
    file->Release();
  }
  link->Release();
}

void PopulateFolders() {
  CreateDirectoryA(Config.folder.c_str(), nullptr);
  if (!Config.commonFolder.empty()) CreateDirectoryA(Config.commonFolder.c_str(), nullptr);
  CoInitialize(nullptr);
  for (const StandinItem& item : Items) {
    std::string path = ItemFilePath(item);
    if (path.empty()) continue;
    switch (item.kind) {
      case STANDIN_LINK:
      case STANDIN_COMMON_LINK:
        WriteShortcut(path);
        break;
      case STANDIN_URL:
        WriteFileText(path, URL_CONTENT);
        break;
      default:
        WriteFileText(path, "");
        break;
    }
  }
  CoUninitialize();
}
