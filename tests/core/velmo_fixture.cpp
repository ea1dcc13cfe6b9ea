#include "tests/core/velmo_fixture.h"

#include <commctrl.h>

constexpr int SAMPLE_ICON_SIZE = 32;
constexpr int SAMPLE_IMAGE_COUNT = 8;

void PumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

void ResetVelmoState() {
  if (MirrorWindow != nullptr) DestroyWindow(MirrorWindow);
  MirrorWindow = nullptr;
  IsMirrorVisible = 0;
  PreviousForegroundWindow = nullptr;
  LastSelectedItem = -1;
  ProgmanWindow = nullptr;
  DesktopDefView = nullptr;
  DesktopListView = nullptr;
  AppInstance = GetModuleHandleA(nullptr);
}

std::vector<std::string> VmhCallTexts() {
  std::vector<std::string> texts;
  for (const testbed::VmhCall& call : FakeVmh::Calls()) {
    if (call.function == testbed::VmhFunction::Dprint) continue;
    std::string text = testbed::VmhFunctionName(call.function);
    bool withArguments = call.function == testbed::VmhFunction::SetShortCutKeyCode ||
                         call.function == testbed::VmhFunction::SetShortCutMouse ||
                         call.function == testbed::VmhFunction::SetIsViewVelmo;
    if (withArguments) {
      for (uint64_t argument : call.arguments) text += " " + std::to_string(argument);
    }
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> CallsStartingWith(const char* prefix) {
  std::vector<std::string> found;
  for (const std::string& call : VmhCallTexts()) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

size_t FetchCount() { return FakeVmh::CallsOf(testbed::VmhFunction::GetDeskTopData).size(); }

HIMAGELIST SampleImages() {
  static HIMAGELIST images = nullptr;
  if (images != nullptr) return images;
  images =
      ImageList_Create(SAMPLE_ICON_SIZE, SAMPLE_ICON_SIZE, ILC_COLOR32 | ILC_MASK, SAMPLE_IMAGE_COUNT, 0);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  for (int i = 0; i < SAMPLE_IMAGE_COUNT; ++i) ImageList_AddIcon(images, icon);
  return images;
}

void ServeItems(const std::vector<DesktopItem>& items) { FakeVmh::Serve(items, SampleImages()); }

void ServeItemsAfterEmptyFetches(const std::vector<DesktopItem>& items, int emptyFetches) {
  std::vector<testbed::DesktopReply> replies;
  testbed::DesktopReply empty;
  empty.images = SampleImages();  // an image list, but no items: not good enough
  empty.count = 0;
  for (int i = 0; i < emptyFetches; ++i) replies.push_back(empty);
  testbed::DesktopReply full;
  full.items = items;
  full.images = SampleImages();
  replies.push_back(full);
  FakeVmh::ServeSequence(replies);
}

void VelmoTest::SetUp() {
  savedSettings_ = Settings;
  ResetVelmoState();
  FakeVmh::Reset();
}

void VelmoTest::TearDown() {
  ResetVelmoState();
  PumpMessages(20);
  Settings = savedSettings_;
}

std::vector<DesktopItem> VelmoTest::SampleItems() const {
  return {MakeDesktopItem(20, 10, "ごみ箱", 0), MakeDesktopItem(20, 110, "表計算.lnk", 1),
          MakeDesktopItem(120, 10, "Notes", 2)};
}
