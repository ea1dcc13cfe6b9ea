// standin.exe: a desktop for the test bed, where Wine has none. It fills a real folder with the
// items it is told, points the shell-folder registry values at it, shows the items in an icon view
// at their positions under "Progman" (or "WorkerW"), and reports to the client that started it.
//   standin.exe /items:FILE /folder:DIR [/common:DIR] [/size:WxH] [/images:N] [/workerw] [/innerworkerw]
//               [/launch] [/latespacing:MS] [/library:PATH] [/labelfont:PX] [/shared:NAME]
#include <cstdlib>
#include <cstring>

#include "testbed/standin/standin.h"
#include "testbed/standin/standin_icons.h"

StandinConfig Config;
std::vector<StandinItem> Items;
StandinShared* Shared = nullptr;

static bool TakeArgument(const char* argument) {
  const char* colon = strchr(argument, ':');
  std::string name = colon != nullptr ? std::string(argument, colon - argument) : std::string(argument);
  const char* value = colon != nullptr ? colon + 1 : "";
  if (name == "/items")
    Config.itemsPath = value;
  else if (name == "/folder")
    Config.folder = value;
  else if (name == "/common")
    Config.commonFolder = value;
  else if (name == "/shared")
    Config.sharedName = value;
  else if (name == "/workerw")
    Config.workerW = true;
  else if (name == "/innerworkerw")
    Config.innerWorkerW = true;
  else if (name == "/library")
    Config.library = value;
  else if (name == "/launch")
    Config.launch = true;
  else if (name == "/size")
    return sscanf(value, "%dx%d", &Config.width, &Config.height) == 2;
  else if (name == "/images")
    return sscanf(value, "%d", &Config.imageCount) == 1;
  else if (name == "/latespacing")
    return sscanf(value, "%d", &Config.lateSpacingMs) == 1;
  else if (name == "/labelfont")
    return sscanf(value, "%d", &Config.labelFontHeight) == 1;
  else
    return false;
  return true;
}

static bool TakeCommandLine() {
  for (int i = 1; i < __argc; ++i)
    if (!TakeArgument(__argv[i])) return false;
  return !Config.itemsPath.empty() && !Config.folder.empty();
}

static HANDLE OpenShared() {
  if (Config.sharedName.empty()) return nullptr;
  HANDLE section = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, Config.sharedName.c_str());
  if (section == nullptr) return nullptr;
  Shared = static_cast<StandinShared*>(
      MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof *Shared));
  return section;
}

static void PublishWindows() {
  if (Shared == nullptr) return;
  Shared->processId = GetCurrentProcessId();
  Shared->progman = reinterpret_cast<uintptr_t>(ProgmanWindow);
  Shared->workerW = reinterpret_cast<uintptr_t>(WorkerWWindow);
  Shared->defView = reinterpret_cast<uintptr_t>(DefViewWindow);
  Shared->listView = reinterpret_cast<uintptr_t>(ListViewWindow);
}

static void RunDesktop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!TakeCommandLine()) return 1;
  HANDLE section = OpenShared();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  bool ready = ReadStandinItems(Config.itemsPath.c_str(), Items);
  // Like the system image list, the list may hold more pictures than the desktop has items.
  int pictures =
      static_cast<int>(Items.size()) > Config.imageCount ? static_cast<int>(Items.size()) : Config.imageCount;
  HIMAGELIST images = ready ? MakeStandinImageList(pictures) : nullptr;
  if (images != nullptr) {
    PopulateFolders();
    PointShellFoldersAt();
  }
  // (Never freed: a shell keeps a hook library as long as it likes.)
  if (!Config.library.empty() && LoadLibraryA(Config.library.c_str()) == nullptr) ready = false;
  ready = ready && images != nullptr && StartRecording() && CreateDesktopWindows(images) && PlaceItems();
  PublishWindows();
  if (Shared != nullptr) Shared->state = ready ? STANDIN_READY : STANDIN_FAILED;
  if (ready) RunDesktop();
  DestroyDesktopWindows();
  StopRecording();
  if (images != nullptr) ImageList_Destroy(images);
  RestoreShellFolders();
  if (Shared != nullptr) UnmapViewOfFile(Shared);
  if (section != nullptr) CloseHandle(section);
  return ready ? 0 : 2;
}
