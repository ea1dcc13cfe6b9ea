// The stand-in desktop (standin.exe): what its parts share inside the process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "testbed/standin/standin_items.h"
#include "testbed/standin/standin_shared.h"

struct StandinConfig {
  std::string itemsPath;     // /items:FILE
  std::string folder;        // /folder:DIR, the user's desktop folder
  std::string commonFolder;  // /common:DIR, the common desktop folder (optional)
  std::string sharedName;    // /shared:NAME, the client's section (optional)
  int width = 0;             // /size:WxH, else the screen's
  int height = 0;
  int imageCount = 0;         // /images:N, pictures in the image list beyond the items' own
  bool workerW = false;       // /workerw: the view lives under a top-level "WorkerW"
  bool innerWorkerW = false;  // /innerworkerw: a "WorkerW" child of Progman before the view
  bool launch = false;        // /launch: a double click really opens the item
  int lateSpacingMs = 0;      // /latespacing:MS, the spacing messages are answered this late
  std::string library;        // /library:PATH, a library the desktop's process holds from the start
  int labelFontHeight = 0;    // /labelfont:PX, the labels' font is this many pixels high
};

extern StandinConfig Config;
extern std::vector<StandinItem> Items;
extern StandinShared* Shared;  // null when no client watches
extern HWND ProgmanWindow;
extern HWND WorkerWWindow;
extern HWND DefViewWindow;
extern HWND ListViewWindow;

// standin_files.cpp
void PopulateFolders();
std::string ItemFilePath(const StandinItem& item);

// shell_folders.cpp
void PointShellFoldersAt();
void RestoreShellFolders();

// standin_window.cpp
bool CreateDesktopWindows(HIMAGELIST images);
bool PlaceItems();
void DestroyDesktopWindows();

// standin_recorder.cpp
bool StartRecording();
void StopRecording();
void RecordListViewMessage(UINT message, WPARAM wParam, LPARAM lParam, bool posted);
bool IsQueuedListViewMessage(UINT message, WPARAM wParam, LPARAM lParam);
void RecordOpened(int item);
