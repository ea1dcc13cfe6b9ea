// droprec.exe: a window that takes OLE drops, as a program the user works in would, and writes one
// line to stdout for each: the effects the source allowed, the key state at the drop and when the drag
// came in, the effect it chose (copy with Ctrl, else move, as Explorer on one volume does; it moves
// nothing itself), the formats offered and the paths of CF_HDROP. Once its window is up it writes "ready
// window=HWND".
//   droprec.exe /place:X,Y,W,H
//   drop allowed=7 keys=8 effect=1 entered=1 formats=Shell IDList Array|... paths=C:\a.txt|...
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

constexpr char RECORDER_CLASS[] = "VelmoDropRecorder";
constexpr char PLACE_ARGUMENT[] = "/place:%ld,%ld,%ld,%ld";
constexpr int FORMAT_NAME_SIZE = 128;

static void WriteLine(const std::string& line) {
  DWORD written = 0;
  std::string text = line + "\n";
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

static std::string FormatName(CLIPFORMAT format) {
  if (format == CF_HDROP) return "CF_HDROP";
  char name[FORMAT_NAME_SIZE] = "";
  if (GetClipboardFormatNameA(format, name, sizeof name) > 0) return name;
  return "#" + std::to_string(format);
}

static std::string FormatsOf(IDataObject* data) {
  std::string formats;
  IEnumFORMATETC* list = nullptr;
  if (FAILED(data->EnumFormatEtc(DATADIR_GET, &list)) || list == nullptr) return formats;
  FORMATETC format = {};
  while (list->Next(1, &format, nullptr) == S_OK) {
    formats += (formats.empty() ? "" : "|") + FormatName(format.cfFormat);
    if (format.ptd != nullptr) CoTaskMemFree(format.ptd);
  }
  list->Release();
  return formats;
}

static std::string PathsOf(IDataObject* data) {
  std::string paths;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium))) return paths;
  auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  UINT count = drop != nullptr ? DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) : 0;
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = "";
    DragQueryFileA(drop, i, path, sizeof path);
    paths += (i == 0 ? "" : "|") + std::string(path);
  }
  if (drop != nullptr) GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return paths;
}

class DropRecorder : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IDropTarget ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }  // lives as long as the process
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
    allowed_ = *effect;
    entered_ = keys;
    *effect = Choose(keys);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override {
    *effect = Choose(keys);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override {
    allowed_ = *effect;
    *effect = Choose(keys);
    char numbers[96];
    snprintf(numbers, sizeof numbers, "drop allowed=%lu keys=%lu effect=%lu entered=%lu", allowed_, keys,
             *effect, entered_);
    WriteLine(std::string(numbers) + " formats=" + FormatsOf(data) + " paths=" + PathsOf(data));
    return S_OK;
  }

 private:
  DWORD Choose(DWORD keys) const {
    DWORD wanted = (keys & MK_CONTROL) != 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    return allowed_ & wanted;
  }
  DWORD allowed_ = DROPEFFECT_NONE;
  DWORD entered_ = 0;  // the key state when the drag came in: a target opens its menu after a right drag
};

static DropRecorder Recorder;

static LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_CLOSE) RevokeDragDrop(window);
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RECT place = {};
  if (__argc != 2 ||
      sscanf(__argv[1], PLACE_ARGUMENT, &place.left, &place.top, &place.right, &place.bottom) != 4)
    return 1;
  if (FAILED(OleInitialize(nullptr))) return 1;
  WNDCLASSA windowClass = {};
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpfnWndProc = RecorderProc;
  windowClass.lpszClassName = RECORDER_CLASS;
  HWND window =
      RegisterClassA(&windowClass)
          ? CreateWindowExA(WS_EX_TOOLWINDOW, RECORDER_CLASS, RECORDER_CLASS, WS_POPUP, place.left, place.top,
                            place.right, place.bottom, nullptr, nullptr, instance, nullptr)
          : nullptr;
  bool ready = window != nullptr && SUCCEEDED(RegisterDragDrop(window, &Recorder));
  if (ready) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    char line[64];
    snprintf(line, sizeof line, "ready window=%p", static_cast<void*>(window));
    WriteLine(line);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  }
  OleUninitialize();
  return ready ? 0 : 2;
}
