#include "testbed/process/remote_list_view.h"

namespace testbed {

constexpr SIZE_T BLOCK_SIZE = 4096;
constexpr int TEXT_SIZE = 260;

RemoteListView::RemoteListView(HWND listView, DWORD processId) : listView_(listView) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process_ != nullptr) {
    block_ = VirtualAllocEx(process_, nullptr, BLOCK_SIZE, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
}

RemoteListView::~RemoteListView() {
  if (block_ != nullptr) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

int RemoteListView::Count() const {
  return static_cast<int>(SendMessageA(listView_, LVM_GETITEMCOUNT, 0, 0));
}

POINT RemoteListView::Position(int item) const {
  POINT place = {-1, -1};
  SendMessageA(listView_, LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(block_));
  ReadProcessMemory(process_, block_, &place, sizeof place, nullptr);
  return place;
}

std::string RemoteListView::Text(int item, LPARAM* lParam, int* image) const {
  char* remoteText = static_cast<char*>(block_) + sizeof(LVITEMA);
  LVITEMA request = {};
  request.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  request.iItem = item;
  request.pszText = remoteText;
  request.cchTextMax = TEXT_SIZE;
  WriteProcessMemory(process_, block_, &request, sizeof request, nullptr);
  SendMessageA(listView_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block_));
  LVITEMA answer = {};
  char text[TEXT_SIZE] = {};
  ReadProcessMemory(process_, block_, &answer, sizeof answer, nullptr);
  ReadProcessMemory(process_, remoteText, text, sizeof text - 1, nullptr);
  *lParam = answer.lParam;
  if (image != nullptr) *image = answer.iImage;
  return text;
}

RECT RemoteListView::IconRect(int item, int part) const {
  RECT rect = {part, 0, 0, 0};
  WriteProcessMemory(process_, block_, &rect, sizeof rect, nullptr);
  SendMessageA(listView_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(block_));
  ReadProcessMemory(process_, block_, &rect, sizeof rect, nullptr);
  return rect;
}

bool RemoteListView::SetImage(int item, int image) const {
  LVITEMA request = {};
  request.mask = LVIF_IMAGE;
  request.iItem = item;
  request.iImage = image;
  return WriteProcessMemory(process_, block_, &request, sizeof request, nullptr) &&
         SendMessageA(listView_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(block_)) != 0;
}

}  // namespace testbed
